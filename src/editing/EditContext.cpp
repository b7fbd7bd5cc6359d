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

std::optional<qint64> EditContext::selectedId(const IdListBox& list)
{
    const int index = list.listIndex();
    if (index < 0 || !list.isItemSelected(index))
        return std::nullopt;
    return list.itemData(index);
}

qint64 EditContext::currentGroupId() const
{
    return selectedId(m_window.groupsList()).value_or(0);
}

std::optional<qint64> EditContext::currentNameId() const
{
    return selectedId(m_window.namesList());
}

std::optional<qint64> EditContext::ownerId() const
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
    // A refusal without a reason would leave the user guessing whether anything was kept.
    const QString reason = book().errorText();
    prompt().messageBox(tr("The change could not be saved: %1.")
                            .arg(reason.isEmpty() ? tr("no reason was given") : reason),
                        Prompt::Buttons::Ok, Prompt::Icon::Critical);
    return false;
}

bool EditContext::usable(std::optional<qint64> id)
{
    if (!id || *id >= 0)
        return true;
    prompt().messageBox(tr("This entry has no usable id in the phone book file (only "
                           "a positive whole number stands for one row), so Telvora "
                           "leaves it as it is."),
                        Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

bool EditContext::added(qint64 newId)
{
    return stored(newId > 0 ? 1 : -1);
}

} // namespace telvora
