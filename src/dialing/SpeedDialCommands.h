#pragma once

#include <QCoreApplication>
#include <QString>

namespace telvora {

class Prompt;
class SpeedDialSet;

// Add, edit and delete speed dials. Each returns true when it changed the speed dials, so
// the caller lists them anew.
class SpeedDialCommands
{
    Q_DECLARE_TR_FUNCTIONS(telvora::SpeedDialCommands)

public:
    SpeedDialCommands(SpeedDialSet& speedDials, Prompt& prompt)
        : m_speedDials(speedDials), m_prompt(prompt)
    {}

    // The quick-dial box's text is offered as the number.
    bool add(const QString& comboText);
    // The speed dial named exactly by the quick-dial box's text.
    bool edit(const QString& comboText);
    bool remove(const QString& comboText);

private:
    void notFound();
    bool refused(bool stored);

    SpeedDialSet& m_speedDials;
    Prompt& m_prompt;
};

} // namespace telvora
