#pragma once

#include <QCoreApplication>
#include <QtGlobal>

namespace telvora {

class EditContext;
class PhonebookClipboard;

// Add, rename, delete a group, and paste a name into one.
class GroupCommands
{
    Q_DECLARE_TR_FUNCTIONS(telvora::GroupCommands)

public:
    GroupCommands(EditContext& context, PhonebookClipboard& clipboard)
        : m_context(context), m_clipboard(clipboard)
    {}

    void AddMenu();
    void GroupEditMenu();
    void DelMenu();
    void PasteGroup();
    void MoveNameToGroup(qint64 nameId, qint64 groupId);

private:
    EditContext& m_context;
    PhonebookClipboard& m_clipboard;
};

} // namespace telvora
