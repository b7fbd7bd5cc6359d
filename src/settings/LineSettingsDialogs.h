#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace telvora {

class LineProvider;
class Prompt;

// The settings windows of the kinds of line. Each kind's window registers itself in its own
// source file, as the providers register themselves with the line service, so the Lines
// window opens a line's settings knowing only the line's provider and key.
class LineSettingsDialogs final
{
public:
    // Makes the window for the line; it is shown, and deleted once closed.
    using Make = std::function<QDialog*(LineProvider& provider, const QString& lineKey,
                                        Prompt& prompt, QWidget* parent)>;

    struct Registrar
    {
        Registrar(const QString& kind, Make make);
    };

    explicit LineSettingsDialogs(Prompt& prompt) : m_prompt(prompt) {}

    // Opens the line's settings window and returns at once: the window saves what it shows
    // on OK. False when the provider has no such line or its kind has no window.
    bool configDialog(LineProvider& provider, const QString& lineKey, QWidget* owner);
    // Tells the SIP address a number becomes on a SIP line (with no number, where numbers
    // go). False for a line that is not a SIP account.
    bool translateDialog(LineProvider& provider, const QString& lineKey, const QString& number);

private:
    Prompt& m_prompt;
};

} // namespace telvora
