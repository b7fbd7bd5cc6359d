#pragma once

#include <QString>

namespace telvora {

// Every question the program asks the user, and the system beep, go through this one
// interface, so that tests can answer the questions and see which were asked.
class Prompt
{
public:
    enum class Buttons
    {
        Ok,
        OkCancel,
        YesNo
    };
    enum class Icon
    {
        None,
        Information,
        Warning,
        Critical,
        Question
    };
    enum class Answer
    {
        Ok,
        Cancel,
        Yes,
        No
    };

    virtual ~Prompt() = default;

    // The text the user typed; an empty text when the user cancelled.
    virtual QString inputBox(const QString& prompt, const QString& defaultText = {}) = 0;
    virtual Answer messageBox(const QString& text, Buttons buttons = Buttons::Ok,
                              Icon icon = Icon::None, const QString& title = {}) = 0;
    virtual void beep() = 0;
};

} // namespace telvora
