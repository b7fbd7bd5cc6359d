#pragma once

#include <QString>

namespace telvora {

// Every file the user picks goes through this one interface, as questions go through
// Prompt, so tests can answer the choice.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // A file to read, or an empty text when the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    // A file to write, or an empty text when the user cancelled. Whether an existing file may
    // be replaced is asked by the caller, through Prompt. The filter the user chose goes into
    // selectedFilter when one is given.
    virtual QString saveFileName(const QString& caption, const QString& filter,
                                 QString* selectedFilter = nullptr) = 0;
};

} // namespace telvora
