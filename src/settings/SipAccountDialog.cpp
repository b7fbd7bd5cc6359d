#include "settings/SipAccountDialog.h"

#include "settings/LineSettingsDialogs.h"
#include "telephony/sip/SipAccountStore.h"
#include "telephony/sip/SipProvider.h"
#include "ui/Prompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace telvora {

namespace {

const LineSettingsDialogs::Registrar sipWindow(
    QStringLiteral("sip"),
    [](LineProvider& provider, const QString& key, Prompt& prompt, QWidget* parent) -> QDialog* {
        auto* sip = dynamic_cast<SipProvider*>(&provider);
        return sip ? new SipAccountDialog(*sip, prompt, key, parent) : nullptr;
    });

std::optional<SipAccount> findAccount(SipProvider& provider, const QString& id)
{
    const QList<SipAccount> accounts = provider.accounts();
    const auto found = std::find_if(accounts.cbegin(), accounts.cend(),
                                    [&id](const SipAccount& a) { return a.id == id; });
    if (found == accounts.cend())
        return std::nullopt;
    return *found;
}

bool hasBlank(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

} // namespace

SipAccountDialog::SipAccountDialog(SipProvider& provider, Prompt& prompt, const QString& accountId,
                                   QWidget* parent)
    : QDialog(parent), m_provider(provider), m_prompt(prompt), m_accountId(accountId)
{
    build();
    if (m_accountId.isEmpty())
        return;
    const auto account = findAccount(m_provider, m_accountId);
    if (!account)
        return;
    displayName->setText(account->displayName);
    server->setText(account->server);
    user->setText(account->user);
    transport->setCurrentIndex(static_cast<int>(account->transport));
    outboundProxy->setText(account->outboundProxy);
    registerAccount->setChecked(account->registerEnabled);
    nationalNumbers->setChecked(account->nationalNumbers);
    tonesAsInfo->setChecked(account->tonesAsInfo);
}

void SipAccountDialog::build()
{
    setObjectName(QStringLiteral("SipAccountDialog"));
    setWindowTitle(m_accountId.isEmpty() ? tr("Add SIP Account") : tr("SIP Account"));
    const auto edit = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QLatin1String(name));
        return field;
    };
    displayName = edit("displayName");
    displayName->setPlaceholderText(tr("as the line is listed"));
    server = edit("server");
    server->setPlaceholderText(tr("host or host:port"));
    user = edit("user");
    password = edit("password");
    password->setEchoMode(QLineEdit::Password);
    // What is stored stays where it is; the field only ever takes a new password.
    if (!m_accountId.isEmpty())
        password->setPlaceholderText(tr("unchanged"));
    transport = new QComboBox(this);
    transport->setObjectName(QStringLiteral("transport"));
    // In the order of SipAccount::Transport.
    transport->addItems({QStringLiteral("UDP"), QStringLiteral("TCP"), QStringLiteral("TLS")});
    outboundProxy = edit("outboundProxy");
    outboundProxy->setPlaceholderText(tr("none"));
    registerAccount = new QCheckBox(tr("&Register with the server"), this);
    registerAccount->setObjectName(QStringLiteral("registerAccount"));
    registerAccount->setChecked(true);
    nationalNumbers = new QCheckBox(tr("Send numbers from links as dialled in the &country"), this);
    nationalNumbers->setObjectName(QStringLiteral("nationalNumbers"));
    nationalNumbers->setToolTip(tr("For servers that do not take numbers that begin with +: "
                                   "the country is the one chosen in Setup."));
    tonesAsInfo = new QCheckBox(tr("Send touch tones as SIP &INFO"), this);
    tonesAsInfo->setObjectName(QStringLiteral("tonesAsInfo"));
    tonesAsInfo->setToolTip(tr("For servers that drop the tones sent in the sound stream."));

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), displayName);
    form->addRow(tr("&Server:"), server);
    form->addRow(tr("&User:"), user);
    form->addRow(tr("&Password:"), password);
    form->addRow(tr("&Transport:"), transport);
    form->addRow(tr("Outbound &proxy:"), outboundProxy);
    form->addRow(QString(), registerAccount);
    form->addRow(QString(), nationalNumbers);
    form->addRow(QString(), tonesAsInfo);

    const auto box = [this](const char* name) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QLatin1String(name));
        return combo;
    };
    microphone = box("microphone");
    speaker = box("speaker");
    ringer = box("ringer");
    soundNotice = new QLabel(this);
    soundNotice->setObjectName(QStringLiteral("soundNotice"));
    soundNotice->setTextFormat(Qt::PlainText);
    soundNotice->setWordWrap(true);
    auto* sound = new QFormLayout;
    sound->addRow(tr("&Microphone:"), microphone);
    sound->addRow(tr("Spea&ker:"), speaker);
    sound->addRow(tr("Rin&ging:"), ringer);
    sound->addRow(soundNotice);
    auto* soundGroup = new QGroupBox(tr("Sound devices for all SIP calls"), this);
    soundGroup->setLayout(sound);
    const SipSoundDevices::Choice stored = m_provider.soundDevices().choice();
    microphone->addItem(QString(), stored.microphone);
    speaker->addItem(QString(), stored.speaker);
    ringer->addItem(QString(), stored.ringer);
    listSoundDevices();
    // A headset plugged in while the window is open shows up in the lists; the stack
    // reports from inside its work, so the lists are redone from the event loop.
    connect(&m_provider.soundDevices(), &SipSoundDevices::changed, this,
            &SipAccountDialog::listSoundDevices, Qt::QueuedConnection);
    m_provider.soundDevices().reload();

    auto* buttons = new QDialogButtonBox(this);
    OK_button = buttons->addButton(QDialogButtonBox::Ok);
    OK_button->setObjectName(QStringLiteral("OK_button"));
    Cancel_button = buttons->addButton(QDialogButtonBox::Cancel);
    Cancel_button->setObjectName(QStringLiteral("Cancel_button"));
    OK_button->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(soundGroup);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    connect(OK_button, &QPushButton::clicked, this, &SipAccountDialog::OK_button_Click);
    connect(Cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}

void SipAccountDialog::listSoundDevices()
{
    SipSoundDevices& devices = m_provider.soundDevices();
    const std::pair<QComboBox*, SipSoundDevices::Role> boxes[] = {
        {microphone, SipSoundDevices::Role::Microphone},
        {speaker, SipSoundDevices::Role::Speaker},
        {ringer, SipSoundDevices::Role::Ringer}};
    for (const auto& [combo, role] : boxes) {
        const QString shown = combo->currentData().toString();
        const QStringList names = devices.devices(role);
        combo->clear();
        combo->addItem(tr("Default"), QString());
        for (const QString& name : names)
            combo->addItem(name, name);
        // A chosen device that is not there now stays chosen, for when it is back.
        if (!shown.isEmpty() && !names.contains(shown))
            combo->addItem(tr("%1 (not connected)").arg(shown), shown);
        combo->setCurrentIndex(std::max(0, combo->findData(shown)));
    }
    const QStringList problems = devices.problems();
    soundNotice->setText(problems.join(QLatin1Char('\n')));
    soundNotice->setVisible(!problems.isEmpty());
}

QLineEdit* SipAccountDialog::fieldOf(SipAccount::Field field) const
{
    switch (field) {
    case SipAccount::Field::DisplayName:
        return displayName;
    case SipAccount::Field::Server:
        return server;
    case SipAccount::Field::User:
        return user;
    case SipAccount::Field::Password:
        return password;
    case SipAccount::Field::OutboundProxy:
        return outboundProxy;
    case SipAccount::Field::Id:
        break;
    }
    return nullptr;
}

QString SipAccountDialog::problem()
{
    const auto fail = [](QLineEdit* field, const QString& text) {
        field->setFocus();
        return text;
    };
    const QString host = server->text().trimmed();
    if (host.isEmpty())
        return fail(server, tr("Enter the server of the account (host or host:port)."));
    if (hasBlank(host))
        return fail(server, tr("The server cannot contain blanks."));
    const QString name = user->text().trimmed();
    if (name.isEmpty() && registerAccount->isChecked())
        return fail(user, tr("Enter the user name: an account that registers with "
                             "its server needs one."));
    if (hasBlank(name))
        return fail(user, tr("The user name cannot contain blanks."));
    if (hasBlank(outboundProxy->text().trimmed()))
        return fail(outboundProxy, tr("The outbound proxy cannot contain blanks."));
    return {};
}

void SipAccountDialog::OK_button_Click()
{
    if (const QString text = problem(); !text.isEmpty()) {
        m_prompt.messageBox(text, Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    SipAccount account;
    if (!m_accountId.isEmpty()) {
        // Starts from the stored account, so what the window does not show is kept, the
        // password included when nothing was typed.
        const auto stored = findAccount(m_provider, m_accountId);
        if (!stored) {
            m_prompt.messageBox(tr("This account no longer exists."), Prompt::Buttons::Ok,
                                Prompt::Icon::Warning);
            reject();
            return;
        }
        account = *stored;
    }
    account.displayName = displayName->text().trimmed();
    account.server = server->text().trimmed();
    account.user = user->text().trimmed();
    if (!password->text().isEmpty())
        account.password = password->text();
    account.transport = static_cast<SipAccount::Transport>(transport->currentIndex());
    account.outboundProxy = outboundProxy->text().trimmed();
    account.registerEnabled = registerAccount->isChecked();
    account.nationalNumbers = nationalNumbers->isChecked();
    account.tonesAsInfo = tonesAsInfo->isChecked();
    // What would let a field write into the messages sent for the account is refused here,
    // pointing at the field, as it is when the accounts file holds it.
    if (const auto wrong = account.problem()) {
        if (QLineEdit* field = fieldOf(wrong->field))
            field->setFocus();
        m_prompt.messageBox(wrong->text, Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }

    SipSoundDevices::Choice sound;
    sound.microphone = microphone->currentData().toString();
    sound.speaker = speaker->currentData().toString();
    sound.ringer = ringer->currentData().toString();
    if (sound != m_provider.soundDevices().choice())
        m_provider.soundDevices().choose(sound);

    bool saved = false;
    if (m_accountId.isEmpty()) {
        m_accountId = m_provider.addAccount(account);
        saved = !m_accountId.isEmpty();
    } else {
        saved = m_provider.updateAccount(account);
    }
    if (!saved) {
        m_prompt.messageBox(
            tr("The account could not be saved to \"%1\".").arg(SipAccountStore::filePath()),
            Prompt::Buttons::Ok, Prompt::Icon::Critical);
        return;
    }
    accept();
}

} // namespace telvora
