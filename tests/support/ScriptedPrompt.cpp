#include "support/ScriptedPrompt.h"

namespace telvora::test {

QString ScriptedPrompt::inputBox(const QString& prompt, const QString& defaultText)
{
    asked << Question{true, prompt, defaultText, Buttons::OkCancel, Icon::None, {}};
    return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
}

Prompt::Answer ScriptedPrompt::messageBox(const QString& text, Buttons buttons, Icon icon,
                                          const QString& title)
{
    asked << Question{false, text, {}, buttons, icon, title};
    if (!messageAnswers.isEmpty())
        return messageAnswers.takeFirst();
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return Answer::No;
    }
    return Answer::Cancel;
}

QList<ScriptedPrompt::Question> ScriptedPrompt::messages() const
{
    QList<Question> result;
    for (const Question& question : asked) {
        if (!question.input)
            result << question;
    }
    return result;
}

} // namespace telvora::test
