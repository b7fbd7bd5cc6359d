#pragma once

#include "ui/FileChooser.h"

#include <QStringList>

namespace telvora::test {

// Answers file choices with the names the test lists, in order (cancel when none is left),
// and keeps the captions asked.
class ScriptedFileChooser final : public FileChooser
{
public:
    QString openFileName(const QString& caption, const QString&) override { return next(caption); }
    QString saveFileName(const QString& caption, const QString& filter,
                         QString* selectedFilter = nullptr) override
    {
        // The filter at the index the test gives, else the first.
        if (selectedFilter)
            *selectedFilter = filter.split(QStringLiteral(";;")).value(filterChoice);
        return next(caption);
    }

    QStringList answers;
    int filterChoice = 0;
    QStringList asked;

private:
    QString next(const QString& caption)
    {
        asked << caption;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace telvora::test
