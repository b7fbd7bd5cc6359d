#include "ui/ButtonBar.h"

#include <QToolButton>

namespace telvora {

ButtonBar::ButtonBar(const QList<Button>& buttons, int columns, QWidget* parent)
    : QWidget(parent), m_columns(qMax(1, columns))
{
    int index = 0;
    for (const Button& entry : buttons) {
        auto* button = new QToolButton(this);
        ++index;
        button->setIcon(entry.icon);
        button->setToolTip(entry.text);
        button->setAccessibleName(entry.text);
        button->setAutoRaise(true);
        // Reached with Tab, pressed with Space; a click leaves the focus in its list.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, [this, index] { emit buttonClicked(index); });
        m_buttons << button;
    }
}

QToolButton* ButtonBar::button(int index) const
{
    return index >= 1 && index <= m_buttons.size() ? m_buttons.at(index - 1) : nullptr;
}

void ButtonBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_buttons.isEmpty())
        return;
    const int rows = int((m_buttons.size() + m_columns - 1) / m_columns);
    const int cellWidth = width() / m_columns;
    const int cellHeight = height() / rows;
    const int side = qMin(cellWidth, cellHeight);
    for (int i = 0; i < m_buttons.size(); ++i) {
        const int row = i / m_columns;
        const int column = i % m_columns;
        m_buttons[i]->setGeometry(column * cellWidth + (cellWidth - side) / 2,
                                  row * cellHeight + (cellHeight - side) / 2, side, side);
        m_buttons[i]->setIconSize(QSize(side - 6, side - 6));
    }
}

} // namespace telvora
