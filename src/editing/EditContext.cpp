#include "editing/EditContext.h"

#include "store/PhoneBook.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

namespace telvora {

PhoneBook& EditContext::book()
{
    return m_window.phoneBook();
}

Prompt& EditContext::prompt()
{
    return m_window.prompt();
}

std::optional<qint32> EditContext::selectedId(const IdListBox& list)
{
    const int index = list.listIndex();
    if (index < 0 || !list.isItemSelected(index))
        return std::nullopt;
    return list.itemData(index);
}

qint32 EditContext::currentGroupId() const
{
    return selectedId(m_window.groupsList()).value_or(0);
}

std::optional<qint32> EditContext::currentNameId() const
{
    return selectedId(m_window.namesList());
}

std::optional<qint32> EditContext::ownerId() const
{
    const QString active = m_window.ActiveList();
    if (active == QLatin1String("N"))
        return selectedId(m_window.namesList());
    if (active == QLatin1String("S"))
        return selectedId(m_window.subList());
    return std::nullopt;
}

bool EditContext::stored(int changed)
{
    if (changed >= 0)
        return true;
    prompt().messageBox(
        QStringLiteral("The change could not be saved: %1.").arg(book().errorText()),
        Prompt::Buttons::Ok, Prompt::Icon::Critical);
    return false;
}

bool EditContext::added(qint32 newId)
{
    return stored(newId > 0 ? 1 : -1);
}

} // namespace telvora
