#pragma once

#include "ui/Prompt.h"

namespace telvora::bench {

// The sync benchmarks make no mass deletion, so nothing is ever asked; any question is
// answered No, which keeps the book as it is.
class NoQuestions final : public Prompt
{
public:
    QString inputBox(const QString&, const QString&) override { return {}; }
    Answer messageBox(const QString&, Buttons, Icon, const QString&) override { return Answer::No; }
    void beep() override {}
};

} // namespace telvora::bench
