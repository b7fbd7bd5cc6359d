#include "settings/ModemLineDialog.h"

#include "settings/LineSettingsDialogs.h"
#include "telephony/cellular/CellularProvider.h"
#include "telephony/modem/ModemProvider.h"
#include "ui/Prompt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace telvora {

namespace {

const LineSettingsDialogs::Registrar modemWindow(
    QStringLiteral("modem"),
    [](LineProvider& provider, const QString& key, Prompt& prompt, QWidget* parent) -> QDialog* {
        auto* modem = dynamic_cast<ModemProvider*>(&provider);
        return modem ? new ModemLineDialog(*modem, prompt, key, parent) : nullptr;
    });

const LineSettingsDialogs::Registrar cellularWindow(
    QStringLiteral("cellular"),
    [](LineProvider& provider, const QString& key, Prompt&, QWidget* parent) -> QDialog* {
        auto* cellular = dynamic_cast<CellularProvider*>(&provider);
        return cellular ? new CellularLineDialog(*cellular, key, parent) : nullptr;
    });

} // namespace

ModemLineDialog::ModemLineDialog(ModemProvider& provider, Prompt& prompt, const QString& lineKey,
                                 QWidget* parent)
    : QDialog(parent), m_provider(provider), m_prompt(prompt), m_key(lineKey)
{
    setObjectName(QStringLiteral("ModemLineDialog"));
    setWindowTitle(tr("Modem Line"));
    const ModemPortSettings settings = provider.portSettings(lineKey);
    auto* form = new QFormLayout;
    Port_text = new QLineEdit(settings.path, this);
    Port_text->setObjectName(QStringLiteral("Port_text"));
    Init_text = new QLineEdit(settings.initString, this);
    Init_text->setObjectName(QStringLiteral("Init_text"));
    Init_text->setPlaceholderText(tr("e.g. ATM0 (sent before each call)"));
    Tone_option = new QRadioButton(tr("Tone"), this);
    Tone_option->setObjectName(QStringLiteral("Tone_option"));
    Pulse_option = new QRadioButton(tr("Pulse"), this);
    Pulse_option->setObjectName(QStringLiteral("Pulse_option"));
    (settings.pulse ? Pulse_option : Tone_option)->setChecked(true);
    auto* dialMode = new QHBoxLayout;
    dialMode->addWidget(Tone_option);
    dialMode->addWidget(Pulse_option);
    form->addRow(tr("Port:"), Port_text);
    form->addRow(tr("Extra init string:"), Init_text);
    form->addRow(tr("Dialling:"), dialMode);
    // Off by default: the port is then held open for as long as the program runs.
    Incoming_check = new QCheckBox(tr("Take incoming calls"), this);
    Incoming_check->setObjectName(QStringLiteral("Incoming_check"));
    Incoming_check->setChecked(settings.takeCalls);
    Incoming_check->setToolTip(
        tr("Keeps the port open while the line is idle, to ring for calls that come in."));
    form->addRow(QString(), Incoming_check);
    form->addRow(tr("State:"), new QLabel(provider.lineState(lineKey), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ModemLineDialog::OK_button_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ModemLineDialog::OK_button_Click()
{
    ModemPortSettings settings;
    settings.path = Port_text->text().trimmed();
    settings.initString = Init_text->text().trimmed();
    settings.pulse = Pulse_option->isChecked();
    settings.takeCalls = Incoming_check->isChecked();
    if (settings.path.isEmpty()) {
        m_prompt.messageBox(tr("Name the modem's port, e.g. /dev/ttyACM0."));
        return;
    }
    // The init string goes to the modem as one command line: a line break in it would send
    // commands of its own, so it is refused here rather than cut.
    for (const QString& problem : {ModemSettings::pathProblem(settings.path),
                                   ModemSettings::initStringProblem(settings.initString)}) {
        if (!problem.isEmpty()) {
            m_prompt.messageBox(problem, Prompt::Buttons::Ok, Prompt::Icon::Warning);
            return;
        }
    }
    if (!m_provider.savePortSettings(m_key, settings)) {
        const QString why = m_provider.settingsError();
        m_prompt.messageBox(why.isEmpty()
                                ? tr("The modem settings could not be saved.")
                                : tr("The modem settings could not be saved: %1").arg(why));
        return;
    }
    accept();
}

CellularLineDialog::CellularLineDialog(CellularProvider& provider, const QString& lineKey,
                                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CellularLineDialog"));
    setWindowTitle(tr("Cellular Line"));
    auto* form = new QFormLayout;
    for (const auto& [label, value] : provider.details(lineKey))
        form->addRow(label + QLatin1Char(':'), new QLabel(value, this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace telvora
