#pragma once

#include "ui/Prompt.h"

class QWidget;

namespace telvora {

// The prompt seam as a person meets it: modal dialogs titled with the program's name.
class QtPrompt final : public Prompt
{
public:
    explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    QString inputBox(const QString& prompt, const QString& defaultText = {}) override;
    Answer messageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                      const QString& title = {}) override;
    void beep() override;

private:
    QWidget* m_parent;
};

} // namespace telvora
