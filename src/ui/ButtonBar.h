#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class QToolButton;

namespace telvora {

// A fixed grid of small picture buttons, numbered from 1 in reading order; a click
// reports the button's number. The window places it like any other control.
class ButtonBar final : public QWidget
{
    Q_OBJECT
public:
    struct Button
    {
        QString text; // shown as the button's tool tip
        QIcon icon;
    };

    ButtonBar(const QList<Button>& buttons, int columns, QWidget* parent = nullptr);

    int buttonCount() const { return int(m_buttons.size()); }
    // Buttons are numbered from 1; a number outside the bar gives no button.
    QToolButton* button(int index) const;

signals:
    void buttonClicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<QToolButton*> m_buttons;
    int m_columns;
};

} // namespace telvora
