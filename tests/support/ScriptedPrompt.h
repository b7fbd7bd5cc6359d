#pragma once

#include "ui/Prompt.h"

#include <QList>
#include <QStringList>

namespace telvora::test {

// Answers the program's questions from a script and remembers every one of them.
// A question with no scripted answer is cancelled (an empty text, or No / Cancel).
class ScriptedPrompt final : public Prompt
{
public:
    struct Question
    {
        bool input = false;
        QString text;
        QString defaultText;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString title;
    };

    QString inputBox(const QString& prompt, const QString& defaultText = {}) override;
    Answer messageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                      const QString& title = {}) override;
    void beep() override { ++beeps; }

    QStringList inputAnswers;
    QList<Answer> messageAnswers;
    QList<Question> asked;
    int beeps = 0;

    QList<Question> messages() const;
};

} // namespace telvora::test
