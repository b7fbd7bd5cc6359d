#pragma once

#include "store/Schema.h"

#include <QCoreApplication>
#include <QString>

namespace telvora {

class EditContext;
class IdListBox;
class PhonebookClipboard;

// The texts that set one number list apart from the others.
struct NumberListTexts
{
    NumberKind kind;
    QString addPrompt;   // the Add input box's prompt, in English: translated when shown
    QString deleteText;  // the Delete question, likewise
    QString deleteTitle; // its title; empty for the program's own
};

// Add, edit, delete, copy, cut and paste on one number list.
class NumberCommands
{
    Q_DECLARE_TR_FUNCTIONS(telvora::NumberCommands)

public:
    NumberCommands(EditContext& context, PhonebookClipboard& clipboard, NumberListTexts kind);

    static const QList<NumberListTexts>& kinds();
    const NumberListTexts& kind() const { return m_kind; }

    void Add();
    void Edit();
    void Delete();
    void Copy();
    void Cut();
    void Paste();

    // The longest clipboard text Paste accepts, in characters.
    static constexpr int pasteLimit = 50;

private:
    IdListBox& list();
    // The current entry when something is selected; beeps and gives -1 otherwise.
    int currentEntry();
    // Whose numbers the list shows: the selected name or sub-name, else the card's own.
    qint64 owner();
    // Stores a number for the owner and lists it; beeps when there is no owner.
    void addToList(const QString& text);

    EditContext& m_context;
    PhonebookClipboard& m_clipboard;
    NumberListTexts m_kind;
};

} // namespace telvora
