// The main window's dialing: the dial buttons and menus of the number lists, Hang UP,
// the keypad and quick dial, and the speed dials.
#include "dialing/DialRun.h"
#include "dialing/KeypadSound.h"
#include "dialing/SpeedDialCommands.h"
#include "editing/Editing.h"
#include "mainwindow/DialForm.h"
#include "numbers/PhoneNumbers.h"
#include "store/Schema.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"
#include "ui/MenuText.h"
#include "ui/Prompt.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace telvora {

void DialForm::connectDialing()
{
    m_dialRun = new DialRun(m_lines, m_storedSettings, m_prompt, this);
    connect(m_dialRun, &DialRun::status, this,
            [this](int panel, const QString& text) { m_ui.panels.value(panel)->setText(text); });
    m_keypadSound = new KeypadSound(this);
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

void DialForm::DialSelectedNumbers(IdListBox& list)
{
    QStringList numbers;
    for (int index : list.selectedItems())
        numbers << m_storedSettings.prefix + list.itemText(index);
    // The number lists are the card's: the run is a call to the card's name.
    m_dialRun->start(numbers, isRowId(m_cardId) ? m_cardId : 0);
}

void DialForm::HangCMD_Click()
{
    m_dialRun->HangCMD_Click();
}

void DialForm::keyPress(QChar key)
{
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
