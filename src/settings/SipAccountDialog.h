#pragma once

#include "telephony/sip/SipAccount.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace telvora {

class Prompt;
class SipProvider;

// The fields of one SIP account: adds one when made without an account id, else edits
// that account. OK checks the fields, saves the account through the provider (which keeps
// the password where the account store keeps passwords) and closes; a problem is told
// through the prompt and leaves the window open. A stored password is never shown: the
// field stays empty, and only what is typed into it replaces the password.
// The window also chooses the sound devices of all SIP calls: they belong to the computer,
// not to one account, and OK takes them whatever else it saves.
class SipAccountDialog final : public QDialog
{
    Q_OBJECT
public:
    SipAccountDialog(SipProvider& provider, Prompt& prompt, const QString& accountId = {},
                     QWidget* parent = nullptr);

    // The account's id once it is saved; empty while a new one is not.
    QString accountId() const { return m_accountId; }

    void OK_button_Click();

    QLineEdit* displayName = nullptr;
    QLineEdit* server = nullptr;
    QLineEdit* user = nullptr;
    QLineEdit* password = nullptr;
    QComboBox* transport = nullptr;
    QLineEdit* outboundProxy = nullptr;
    QCheckBox* registerAccount = nullptr;
    QCheckBox* nationalNumbers = nullptr;
    QCheckBox* tonesAsInfo = nullptr;
    QComboBox* microphone = nullptr;
    QComboBox* speaker = nullptr;
    QComboBox* ringer = nullptr;
    // Says which chosen devices are missing.
    QLabel* soundNotice = nullptr;
    QPushButton* OK_button = nullptr;
    QPushButton* Cancel_button = nullptr;

private:
    void build();
    // The first problem with the fields, empty when there is none; focuses its field.
    QString problem();
    QLineEdit* fieldOf(SipAccount::Field field) const;
    // Lists the devices there are now, keeping what each box shows.
    void listSoundDevices();

    SipProvider& m_provider;
    Prompt& m_prompt;
    QString m_accountId;
};

} // namespace telvora
