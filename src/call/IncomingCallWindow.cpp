#include "call/IncomingCallWindow.h"

#include "ui/ElidedLabel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvora {

IncomingCallWindow::IncomingCallWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("IncomingCallWindow"));
    setWindowTitle(tr("Incoming call"));
    m_state = new QLabel(tr("Incoming call"), this);
    m_state->setObjectName(QStringLiteral("state"));
    m_name = new ElidedLabel({}, this);
    m_name->setObjectName(QStringLiteral("callerName"));
    m_number = new ElidedLabel({}, this);
    m_number->setObjectName(QStringLiteral("callerNumber"));
    // A label guesses rich text: a caller's <img> or <a> would be drawn, not shown.
    for (QLabel* label : {static_cast<QLabel*>(m_name), static_cast<QLabel*>(m_number)}) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setMinimumWidth(240);
    }
    QFont big = m_name->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_name->setFont(big);
    m_answer = new QPushButton(tr("&Answer"), this);
    m_answer->setObjectName(QStringLiteral("answer"));
    m_decline = new QPushButton(tr("&Decline"), this);
    m_decline->setObjectName(QStringLiteral("decline"));
    connect(m_answer, &QPushButton::clicked, this, &IncomingCallWindow::answerClicked);
    connect(m_decline, &QPushButton::clicked, this, &IncomingCallWindow::declineClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_answer);
    buttons->addWidget(m_decline);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_state);
    layout->addWidget(m_name);
    layout->addWidget(m_number);
    layout->addLayout(buttons);
}

void IncomingCallWindow::showCaller(const QString& name, const QString& number)
{
    m_name->setText(name);
    m_number->setText(number == name ? QString() : number);
    m_number->setVisible(!m_number->text().isEmpty());
}

void IncomingCallWindow::showConnected()
{
    m_state->setText(tr("Connected"));
    m_answer->hide();
    m_decline->setText(tr("&Hang Up"));
}

QString IncomingCallWindow::shownName() const
{
    return m_name->text();
}

QString IncomingCallWindow::shownNumber() const
{
    return m_number->text();
}

void IncomingCallWindow::closeEvent(QCloseEvent* event)
{
    // Closed by the user: the call is turned away (or ended), as with Decline.
    if (!m_closing && isVisible()) {
        m_closing = true;
        emit declineClicked();
        m_closing = false;
    }
    event->accept();
}

} // namespace telvora
