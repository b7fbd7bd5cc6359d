#include "editing/GroupCommands.h"

#include "editing/EditContext.h"
#include "editing/PhonebookClipboard.h"
#include "store/PhoneBook.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

namespace telvora {

void GroupCommands::AddMenu()
{
    const QString text = m_context.prompt().inputBox(tr("Enter New Group:"));
    if (text.isEmpty())
        return;
    const qint64 id = m_context.book().addGroup(text);
    if (m_context.added(id))
        m_context.window().LoadGroups(id, std::nullopt);
}

void GroupCommands::GroupEditMenu()
{
    IdListBox& groups = m_context.window().groupsList();
    const int index = groups.listIndex();
    if (index < 0)
        return;
    const qint64 id = groups.itemData(index);
    if (!m_context.usable(id))
        return;
    const QString text =
        m_context.prompt().inputBox(tr("Enter New Number:"), groups.itemText(index));
    if (text.isEmpty())
        return;
    // "All Groups" and "No Group" are no rows of the file: renaming them keeps nothing.
    if (id != 0)
        m_context.stored(m_context.book().renameGroup(id, text));
    m_context.window().LoadGroups(std::nullopt, index);
}

void GroupCommands::DelMenu()
{
    BrowseWindow& window = m_context.window();
    const int index = window.groupsList().listIndex();
    if (const auto id = EditContext::selectedId(window.groupsList());
        id && *id != 0 && m_context.usable(id))
        m_context.stored(m_context.book().deleteGroup(*id));
    window.LoadGroups(std::nullopt, index);
    window.GroupsList_Click();
}

void GroupCommands::PasteGroup()
{
    BrowseWindow& window = m_context.window();
    const QString clipboard = PhonebookClipboard::text();
    // With a group whose id is unusable the name would land in no group, not the one chosen.
    if (!m_context.usable(m_context.currentGroupId())) {
        return;
    }
    if (!m_clipboard.holdsName() || clipboard.isEmpty()) {
        m_context.prompt().beep();
    } else {
        const NameClipboardText clip = NameClipboardText::split(clipboard);
        if (clip.idPart > 0)
            MoveNameToGroup(clip.idPart, m_context.currentGroupId());
        else if (clip.textPart.isEmpty())
            m_context.prompt().beep();
        else
            m_context.added(m_context.book().addName(clip.textPart, 0, m_context.currentGroupId()));
    }
    window.LoadNames(std::nullopt, window.namesList().listIndex());
}

void GroupCommands::MoveNameToGroup(qint64 nameId, qint64 groupId)
{
    m_context.stored(m_context.book().moveNameToGroup(nameId, groupId));
}

} // namespace telvora
