#pragma once

#include "telephony/LineDialogs.h"

namespace telvora {

class Prompt;

// The line service's windows for a line's settings and for how a number is dialled on it,
// for the kinds of line that have them (SIP accounts, modems, cellular modems). Install one with
// LineService::setDialogs() for as long as the program runs.
class LineSettingsDialogs final : public LineDialogs
{
public:
    explicit LineSettingsDialogs(Prompt& prompt) : m_prompt(prompt) {}

    // Opens the account's window and returns at once: the window saves what it shows on OK.
    qint32 configDialog(LineProvider& provider, const QString& lineKey, QObject* owner,
                        const QString& deviceClass) override;
    // Tells the SIP address the number becomes (with no number, where numbers go).
    qint32 translateDialog(LineProvider& provider, const QString& lineKey, QObject* owner,
                           const QString& number) override;

private:
    Prompt& m_prompt;
};

} // namespace telvora
