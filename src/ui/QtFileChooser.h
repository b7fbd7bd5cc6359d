#pragma once

#include "ui/FileChooser.h"

class QWidget;

namespace telvora {

// The desktop's file dialogs.
class QtFileChooser final : public FileChooser
{
public:
    explicit QtFileChooser(QWidget* parent) : m_parent(parent) {}
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& filter,
                         QString* selectedFilter = nullptr) override;

private:
    QWidget* m_parent;
};

} // namespace telvora
