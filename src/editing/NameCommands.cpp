#include "editing/NameCommands.h"

#include "editing/EditContext.h"
#include "store/PhoneBook.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

#include <QAction>

namespace telvora {

void NameCommands::AddName()
{
    if (!m_context.usable(m_context.currentGroupId()))
        return;
    const QString text = m_context.prompt().inputBox(tr("Enter New Name:"));
    if (text.isEmpty())
        return;
    const qint64 id = m_context.book().addName(text, 0, m_context.currentGroupId());
    if (m_context.added(id))
        m_context.window().LoadNames(id, std::nullopt);
}

void NameCommands::AddSubName()
{
    if (!m_context.usable(m_context.currentNameId()) ||
        !m_context.usable(m_context.currentGroupId()))
        return;
    const QString text = m_context.prompt().inputBox(tr("Enter New SUB Name:"));
    if (text.isEmpty())
        return;
    const qint64 id = m_context.book().addName(text, m_context.currentNameId().value_or(0),
                                               m_context.currentGroupId());
    if (!m_context.added(id))
        return;
    IdListBox& subs = m_context.window().subList();
    subs.addItem(text, id);
    subs.setListIndex(subs.count() - 1);
}

void NameCommands::NameEditMenu()
{
    IdListBox& names = m_context.window().namesList();
    const auto id = EditContext::selectedId(names);
    if (!id || !m_context.usable(id))
        return;
    const QString text =
        m_context.prompt().inputBox(tr("Enter New Number:"), names.itemText(names.listIndex()));
    if (text.isEmpty())
        return;
    m_context.stored(m_context.book().renameName(*id, text));
    m_context.window().LoadNames(std::nullopt, names.listIndex());
}

void NameCommands::EditSUB()
{
    IdListBox& subs = m_context.window().subList();
    const auto id = EditContext::selectedId(subs);
    if (!id || !m_context.usable(id))
        return;
    const int index = subs.listIndex();
    const QString text = m_context.prompt().inputBox(tr("Enter New Number:"), subs.itemText(index));
    if (text.isEmpty())
        return;
    if (m_context.stored(m_context.book().renameName(*id, text)))
        subs.setItemText(index, text);
}

void NameCommands::DelName()
{
    deleteSelected(false);
}

void NameCommands::DelSUB()
{
    deleteSelected(true);
}

void NameCommands::deleteSelected(bool subList)
{
    BrowseWindow& window = m_context.window();
    // Checked before the question: a delete from an id that stands for no row would
    // reach rows the user never chose.
    if (!m_context.usable(EditContext::selectedId(subList ? window.subList() : window.namesList())))
        return;
    const auto answer = m_context.prompt().messageBox(tr("Are you Sure ??"), Prompt::Buttons::YesNo,
                                                      Prompt::Icon::None, tr("Confirm"));
    if (answer != Prompt::Answer::Yes)
        return;
    const auto id = EditContext::selectedId(subList ? window.subList() : window.namesList());
    if (id && m_context.usable(id)) {
        window.setCardId(*id);
        m_context.stored(m_context.book().deleteNameTree(*id));
    }
    IdListBox& names = window.namesList();
    window.LoadNames(std::nullopt, names.listIndex());
    // With the last name gone nothing is selected any more; the card must not keep
    // showing a contact that no longer exists.
    if (id && names.listIndex() < 0)
        window.LoadCard();
}

void NameCommands::SetGroupItem_Click(const QAction* item)
{
    const auto name = m_context.currentNameId();
    if (!item || !item->data().isValid() || !name || !m_context.usable(name))
        return;
    PhoneBook& book = m_context.book();
    const qint64 group = item->data().toLongLong();
    if (!m_context.usable(group))
        return;
    // A menu item can outlive its group; moving a name into a group that is gone would
    // hide it from every group but "All Groups".
    if (!book.groupName(group)) {
        m_context.prompt().beep();
        return;
    }
    m_context.stored(book.moveNameToGroup(*name, group));
}

} // namespace telvora
