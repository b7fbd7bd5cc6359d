#include "dialing/SpeedDialCommands.h"

#include "store/SpeedDialSet.h"
#include "ui/Prompt.h"

namespace telvora {

void SpeedDialCommands::notFound()
{
    m_prompt.messageBox(tr("Entry not found or No Name Selected"));
}

bool SpeedDialCommands::refused(bool stored)
{
    if (!stored) {
        m_prompt.messageBox(tr("The speed dial could not be saved."), Prompt::Buttons::Ok,
                            Prompt::Icon::Critical);
    }
    return stored;
}

bool SpeedDialCommands::add(const QString& comboText)
{
    // A cancelled question, or no name, stores nothing: a speed dial is found by its name.
    const QString name = m_prompt.inputBox(tr("Input Name"));
    if (name.isEmpty())
        return false;
    const QString number = m_prompt.inputBox(tr("Input Number"), comboText);
    if (number.isEmpty())
        return false;
    return refused(m_speedDials.add(name, number));
}

bool SpeedDialCommands::edit(const QString& comboText)
{
    const auto entry = m_speedDials.find(comboText);
    if (!entry) {
        notFound();
        return false;
    }
    const QString name = m_prompt.inputBox(tr("Input Name"), entry->name);
    if (name.isEmpty())
        return false;
    const QString number = m_prompt.inputBox(tr("Input Number"), entry->number);
    if (number.isEmpty())
        return false;
    return refused(m_speedDials.update(entry->rowId, name, number));
}

bool SpeedDialCommands::remove(const QString& comboText)
{
    const auto entry = m_speedDials.find(comboText);
    if (!entry) {
        notFound();
        return false;
    }
    if (m_prompt.messageBox(tr("Are You Sure"), Prompt::Buttons::YesNo) != Prompt::Answer::Yes)
        return false;
    return refused(m_speedDials.remove(entry->rowId));
}

} // namespace telvora
