// The main window's call history: what the dial run reports goes into the log, the card
// tells when its name was last called, and the history window dials through the same run
// as the window's own Dial.
#include "call/IncomingCalls.h"
#include "dialing/DialRun.h"
#include "history/HistoryModel.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DialForm.h"
#include "store/CallLog.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace telvora {

void DialForm::connectHistory()
{
    m_callLog = std::make_unique<CallLog>(m_book);
    connect(m_dialRun, &DialRun::attemptEnded, m_callLog.get(), &CallLog::post);
    if (m_incoming)
        connect(m_incoming, &IncomingCalls::callEnded, m_callLog.get(), &CallLog::post);
    connect(m_callLog.get(), &CallLog::changed, this, &DialForm::showLastCall);
    connect(m_ui.HistoryCMD, &QPushButton::clicked, this, &DialForm::HistoryCMD_Click);
}

HistoryWindow* DialForm::historyForm() const
{
    return m_historyForm;
}

void DialForm::HistoryCMD_Click()
{
    if (!m_historyForm) {
        m_historyForm = new HistoryWindow(*m_callLog, m_prompt, this);
        m_historyForm->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_historyForm, &HistoryWindow::dialRequested, this,
                [this](const QString& number, qint64 nameId) {
                    // Dialled as it was dialled the first time: the prefix is part of it.
                    m_dialRun->start({number}, nameId);
                });
    }
    m_historyForm->show();
    m_historyForm->raise();
    m_historyForm->activateWindow();
}

void DialForm::showLastCall()
{
    const std::optional<CallRecord> last = m_callLog->lastCallOf(m_cardId);
    if (!last) {
        m_ui.LastCallLabel->clear();
        return;
    }
    const QString when = last->started.isValid()
                             ? QLocale().toString(last->started.toLocalTime(), QLocale::ShortFormat)
                             : tr("at an unknown time");
    m_ui.LastCallLabel->setText(
        tr("Last called %1: %2").arg(when, HistoryModel::outcomeText(last->outcome)));
}

} // namespace telvora
