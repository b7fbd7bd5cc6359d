// The main window's dialing: the dial buttons and menus of the number lists, Hang UP,
// the keypad and quick dial, and the speed dials.
#include "call/AlertSound.h"
#include "call/CallController.h"
#include "call/CallerLookup.h"
#include "call/DesktopNotifier.h"
#include "call/IncomingCalls.h"
#include "dialing/DialRun.h"
#include "dialing/KeypadSound.h"
#include "dialing/SpeedDialCommands.h"
#include "editing/Editing.h"
#include "mainwindow/DialForm.h"
#include "numbers/PhoneNumbers.h"
#include "settings/StoredSettings.h"
#include "store/Schema.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"
#include "ui/MenuText.h"
#include "ui/Prompt.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

namespace telvora {

void DialForm::connectDialing()
{
    m_dialRun = new DialRun(m_lines, m_storedSettings, m_prompt, this);
    connect(m_dialRun, &DialRun::status, this,
            [this](int panel, const QString& text) { m_ui.panels.value(panel)->setText(text); });
    m_keypadSound = new KeypadSound(this);
    // Once a call is connected, the keypad and the digit keys are touch tones.
    m_callController = new CallController(this);
    connect(m_callController, &CallController::status, this,
            [this](int panel, const QString& text) { m_ui.panels.value(panel)->setText(text); });
    connect(m_callController, &CallController::toneSent, m_keypadSound, &KeypadSound::play);
    connect(m_dialRun, &DialRun::answered, m_callController, &CallController::follow);
    m_ui.DialCombo->lineEdit()->installEventFilter(this);
    auto* mute = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(mute, &QShortcut::activated, m_callController, &CallController::toggleMute);
    m_notifier = new DesktopNotifier(
        [this](const QString& title, const QString& body) {
            if (m_tray && QSystemTrayIcon::supportsMessages())
                m_tray->showMessage(title, body);
        },
        this);
    m_alertSound = new AlertSound(this);
    connect(m_dialRun, &DialRun::answered, this, &DialForm::runAnswered);
    connect(m_dialRun, &DialRun::gaveUp, this, &DialForm::runGaveUp);
    if (auto* sip = dynamic_cast<SipProvider*>(m_lines.provider(QStringLiteral("sip"))))
        restoreSoundDevices(*sip);
    m_incoming = new IncomingCalls(
        m_lines, [this](const QString& number) { return nameForNumber(m_book, number); },
        [this] {
            // On a call, or in a run that may place the next attempt at any moment.
            const LineCall* call = m_dialRun->call();
            return m_dialRun->isWaiting() || (call && !call->isEnded());
        },
        this, this);
    connect(m_incoming, &IncomingCalls::answered, m_callController, &CallController::follow);
    m_speedDialCommands = std::make_unique<SpeedDialCommands>(m_speedDials, m_prompt);

    const std::pair<QToolButton*, IdListBox*> dialButtons[] = {
        {m_ui.DialPhonesCMD, m_ui.PhonesList},
        {m_ui.DialFaxCMD, m_ui.FaxList},
        {m_ui.DialMobileCMD, m_ui.MobileList},
        {m_ui.DialHomeCMD, m_ui.HomeList}};
    for (const auto& [button, list] : dialButtons) {
        connect(button, &QToolButton::clicked, this, [this, list] { DialSelectedNumbers(*list); });
        connect(list, &IdListBox::listDoubleClicked, this,
                [this, list] { DialSelectedNumbers(*list); });
    }
    connect(m_editing, &Editing::dialRequested, this,
            [this](NumberKind kind) { DialSelectedNumbers(numberList(kind)); });
    connect(m_ui.HangCMD, &QPushButton::clicked, this, &DialForm::HangCMD_Click);
    connect(m_ui.DialCmdTapi, &QPushButton::clicked, m_dialRun, &DialRun::DialCmdTapi_Click);

    for (auto it = m_ui.CmdNum.cbegin(); it != m_ui.CmdNum.cend(); ++it) {
        const int index = it.key();
        connect(it.value(), &QPushButton::clicked, this, [this, index] { CmdNum_Click(index); });
    }
    connect(m_ui.CmdAstric, &QPushButton::clicked, this, &DialForm::CmdAstric_Click);
    connect(m_ui.CmdHash, &QPushButton::clicked, this, &DialForm::CmdHash_Click);
    connect(m_ui.quickDial, &QPushButton::clicked, this, &DialForm::quickDial_Click);
    connect(m_ui.DialCombo->lineEdit(), &QLineEdit::returnPressed, this,
            &DialForm::quickDial_Click);
    connect(m_ui.DialCombo, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (m_link && text != m_link->target())
            m_link.reset();
    });
    connect(m_ui.tbrSpeed, &ButtonBar::buttonClicked, this, &DialForm::tbrSpeed_ButtonClick);
    connect(m_speedDialsMenu, &QMenu::triggered, this, &DialForm::SpeedDial_Click);
}

void DialForm::restoreSoundDevices(SipProvider& sip)
{
    SipSoundDevices::Choice choice;
    choice.microphone = StoredSettings::readText(m_registry, StoredSettings::kMicrophone);
    choice.speaker = StoredSettings::readText(m_registry, StoredSettings::kSpeaker);
    choice.ringer = StoredSettings::readText(m_registry, StoredSettings::kRinger);
    sip.soundDevices().restore(choice);
    connect(
        &sip.soundDevices(), &SipSoundDevices::chosen, this,
        [this](const SipSoundDevices::Choice& chosen) {
            const QString& key = StoredSettings::keyPath();
            m_registry.CreateRegistryKey(key);
            bool saved = m_registry.LastRegistryResult() == Registry::kSuccess;
            const std::pair<const QString&, const QString&> values[] = {
                {StoredSettings::kMicrophone, chosen.microphone},
                {StoredSettings::kSpeaker, chosen.speaker},
                {StoredSettings::kRinger, chosen.ringer}};
            for (const auto& [name, text] : values) {
                m_registry.WriteRegistryString(key, name, text);
                saved = saved && m_registry.LastRegistryResult() == Registry::kSuccess;
            }
            if (!saved)
                m_prompt.messageBox(
                    tr("The settings could not be saved to \"%1\".").arg(m_registry.store().path()),
                    Prompt::Buttons::Ok, Prompt::Icon::Critical);
        });
}

void DialForm::DialSelectedNumbers(IdListBox& list)
{
    QStringList numbers;
    for (int index : list.selectedItems())
        numbers << m_storedSettings.prefix + list.itemText(index);
    // The number lists are the card's: the run is a call to the card's name.
    m_dialRun->start(numbers, isRowId(m_cardId) ? m_cardId : 0);
}

void DialForm::runAnswered(LineCall* call)
{
    QString name;
    if (const qint64 id = m_dialRun->nameId(); isRowId(id)) {
        if (const auto row = m_book.nameRow(id); row && row->size() > 1)
            name = DesktopNotifier::plainLine(row->at(1).toString());
    }
    const QString number = DesktopNotifier::plainLine(call->number());
    const int attempts = m_dialRun->attemptCount();
    QString text;
    if (name.isEmpty())
        text = attempts == 1 ? tr("Connected to %1 after 1 attempt").arg(number)
                             : tr("Connected to %1 after %2 attempts").arg(number).arg(attempts);
    else
        text = attempts == 1
                   ? tr("Connected to %1 (%2) after 1 attempt").arg(name, number)
                   : tr("Connected to %1 (%2) after %3 attempts").arg(name, number).arg(attempts);
    m_notifier->notify(tr("Call answered"), text);
    showFromTray();
    m_alertSound->play();
}

void DialForm::runGaveUp(const QString& lastStatus)
{
    m_notifier->notify(tr("Redial ended"), lastStatus);
}

void DialForm::HangCMD_Click()
{
    if (m_incoming)
        m_incoming->hangUp();
    m_dialRun->HangCMD_Click();
}

bool DialForm::eventFilter(QObject* watched, QEvent* event)
{
    // A key typed into the quick-dial box during a call is a tone, not part of a number.
    if (event->type() == QEvent::KeyPress && m_callController && m_callController->inCall()) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const QString text = press->text();
        if (text.size() == 1 && text.at(0).isPrint() &&
            !(press->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return m_callController->key(text.at(0));
    }
    return QWidget::eventFilter(watched, event);
}

void DialForm::keyPress(QChar key)
{
    if (m_callController->key(key))
        return;
    m_keypadSound->play();
    // The key always goes to the end, wherever the caret is.
    m_ui.DialCombo->setEditText(m_ui.DialCombo->currentText() + key);
}

void DialForm::CmdNum_Click(int index)
{
    keyPress(QChar(u'0' + index));
}

void DialForm::CmdAstric_Click()
{
    keyPress(QLatin1Char('*'));
}

void DialForm::CmdHash_Click()
{
    keyPress(QLatin1Char('#'));
}

void DialForm::quickDial_Click()
{
    // A speed dial's name dials its number; any other text is dialled as it stands. Neither
    // takes the outside-line prefix. A link, while the box still shows it, does.
    const QString text = m_ui.DialCombo->currentText();
    if (m_link && text == m_link->target()) {
        dialLink(*m_link);
        return;
    }
    const auto entry = m_speedDials.find(text);
    m_dialRun->start({entry ? entry->number : text});
}

void DialForm::showLink(const PhoneLink& link, bool dialNow)
{
    m_ui.DialCombo->setEditText(link.target());
    m_link = link;
    showNormal();
    raise();
    activateWindow();
    m_ui.DialCombo->setFocus();
    if (dialNow || m_storedSettings.dialLinksAtOnce)
        dialLink(link);
}

namespace {

bool nationalNumbersOn(const LineService::ListedLine& line)
{
    auto* sip = dynamic_cast<SipProvider*>(line.provider);
    if (!sip)
        return false;
    const QList<SipAccount> accounts = sip->accounts();
    return std::any_of(accounts.cbegin(), accounts.cend(), [&line](const SipAccount& account) {
        return account.id == line.line.key && account.nationalNumbers;
    });
}

} // namespace

void DialForm::dialLink(const PhoneLink& link)
{
    // The run dials on the line set up, or on the first when that one is gone.
    const QList<LineService::ListedLine> lines = m_lines.listLines();
    const int index = m_storedSettings.lineIndex;
    const LineService::ListedLine* line =
        lines.isEmpty() ? nullptr
                        : &(index >= 0 && index < lines.size() ? lines.at(index) : lines.first());
    const QString kind = line ? line->provider->kind() : QString();
    const bool address = link.kind() == PhoneLink::Kind::SipAddress;
    if (address && (kind == QLatin1String("sip") || kind.isEmpty())) {
        m_dialRun->start({link.target()});
        return;
    }
    QString number = address ? link.number() : link.target();
    if (number.isEmpty()) {
        m_prompt.messageBox(tr("%1 is a SIP address: it can be called on a SIP line only. "
                               "Choose one in Setup.")
                                .arg(link.target()),
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    // SIP and cellular lines take a global number as it is; a modem on a telephone line
    // dials it the way a caller in the country would, as does a SIP account set up so.
    if (kind == QLatin1String("modem") || (line && nationalNumbersOn(*line)))
        number = PhoneNumbers::dialableFrom(number, m_storedSettings.country);
    m_dialRun->start({m_storedSettings.prefix + number});
}

void DialForm::tbrSpeed_ButtonClick(int index)
{
    const QString text = m_ui.DialCombo->currentText();
    switch (index) {
    case 1:
        if (m_speedDialCommands->add(text))
            LoadSpeedDials();
        break;
    case 2:
        if (m_speedDialCommands->edit(text))
            LoadSpeedDials();
        break;
    case 3:
        if (m_speedDialCommands->remove(text))
            LoadSpeedDials();
        break;
    case 4:
        if (QToolButton* button = m_ui.tbrSpeed->button(4))
            m_speedDialsMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
        break;
    case 5:
        m_ui.DialCombo->setEditText(QString());
        break;
    default:
        break;
    }
}

void DialForm::SpeedDial_Click(const QAction* item)
{
    if (!item || !item->data().isValid())
        return;
    m_dialRun->start({item->data().toString()});
}

void DialForm::LoadSpeedDials()
{
    m_ui.DialCombo->clear();
    const QList<SpeedDial> entries = m_speedDials.entries();
    while (m_speedDialItems.size() > qMax<qsizetype>(1, entries.size()))
        delete m_speedDialItems.takeLast();
    for (int i = 0; i < entries.size(); ++i) {
        if (i >= m_speedDialItems.size())
            m_speedDialItems << m_speedDialsMenu->addAction(QString());
        QAction* item = m_speedDialItems[i];
        item->setText(menuText(entries[i].name));
        item->setData(entries[i].number);
        item->setEnabled(true);
        m_ui.DialCombo->addItem(entries[i].name);
    }
    if (entries.isEmpty()) {
        // With no speed dial left the menu must not offer one that is gone.
        QAction* item = m_speedDialItems.first();
        item->setText(tr("(No speed dials)"));
        item->setData(QVariant());
        item->setEnabled(false);
    }
    m_ui.DialCombo->setEditText(QString());
}

} // namespace telvora
