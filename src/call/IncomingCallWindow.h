#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace telvora {

class ElidedLabel;

// The small window of a call that comes in: "Incoming call", who calls, Answer and
// Decline; once answered, Decline hangs up. Closing it declines. Every text the caller
// sent is shown as plain text, never as markup.
class IncomingCallWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit IncomingCallWindow(QWidget* parent = nullptr);

    void showCaller(const QString& name, const QString& number);
    void showConnected();

    QPushButton* answerButton() const { return m_answer; }
    QPushButton* declineButton() const { return m_decline; }
    QString shownName() const;
    QString shownNumber() const;

signals:
    void answerClicked();
    void declineClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_state = nullptr;
    ElidedLabel* m_name = nullptr;
    ElidedLabel* m_number = nullptr;
    QPushButton* m_answer = nullptr;
    QPushButton* m_decline = nullptr;
    bool m_closing = false;
};

} // namespace telvora
