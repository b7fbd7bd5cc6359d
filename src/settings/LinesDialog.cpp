#include "settings/LinesDialog.h"

#include "settings/LineSettingsDialogs.h"
#include "settings/SipAccountDialog.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"
#include "ui/Prompt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace telvora {

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;

QString kindText(const QString& kind)
{
    if (kind == QLatin1String("sip"))
        return QStringLiteral("SIP");
    if (kind == QLatin1String("modem"))
        return LinesDialog::tr("Modem");
    if (kind == QLatin1String("cellular"))
        return LinesDialog::tr("Cellular");
    return kind;
}

void setState(QTreeWidgetItem* item, const QString& state)
{
    item->setText(LinesDialog::StateColumn, state);
    // A long reason still reads whole where the column cuts it.
    item->setToolTip(LinesDialog::StateColumn, state);
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

LinesDialog::LinesDialog(LineService& lines, Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_lines(lines), m_prompt(prompt)
{
    build();
    listLines();
}

void LinesDialog::run(LineService& lines, Prompt& prompt, QWidget* parent)
{
    LinesDialog dialog(lines, prompt, parent);
    dialog.exec();
}

void LinesDialog::build()
{
    setObjectName(QStringLiteral("LinesDialog"));
    setWindowTitle(tr("Telephone Lines"));

    LinesList = new QTreeWidget(this);
    LinesList->setObjectName(QStringLiteral("LinesList"));
    LinesList->setHeaderLabels({tr("Line"), tr("Kind"), tr("State")});
    LinesList->setRootIsDecorated(false);
    LinesList->setAllColumnsShowFocus(true);
    LinesList->setSelectionMode(QAbstractItemView::SingleSelection);
    LinesList->header()->setStretchLastSection(true);
    LinesList->setColumnWidth(NameColumn, 160);
    LinesList->setColumnWidth(KindColumn, 60);

    Add_button = button(tr("&Add..."), "Add_button", this);
    Edit_button = button(tr("&Edit..."), "Edit_button", this);
    Remove_button = button(tr("&Remove"), "Remove_button", this);
    Settings_button = button(tr("&Settings..."), "Settings_button", this);
    Close_button = button(tr("Close"), "Close_button", this);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {Add_button, Edit_button, Remove_button, Settings_button})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(Close_button);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(LinesList, 1);
    layout->addLayout(buttons);
    // Wide enough for a registrar's refusal to be read whole.
    resize(680, 260);

    connect(Add_button, &QPushButton::clicked, this, &LinesDialog::Add_button_Click);
    connect(Edit_button, &QPushButton::clicked, this, &LinesDialog::Edit_button_Click);
    connect(Remove_button, &QPushButton::clicked, this, &LinesDialog::Remove_button_Click);
    connect(Settings_button, &QPushButton::clicked, this, &LinesDialog::Settings_button_Click);
    connect(Close_button, &QPushButton::clicked, this, &QDialog::accept);
    connect(LinesList, &QTreeWidget::itemSelectionChanged, this, &LinesDialog::updateButtons);
    connect(LinesList, &QTreeWidget::itemDoubleClicked, this, &LinesDialog::Settings_button_Click);

    // The service tells of changes from inside the providers' own work (a registration
    // answered, an account saved): the list is read again once that work is done.
    connect(&m_lines, &LineService::linesChanged, this, [this] {
        if (m_listQueued)
            return;
        m_listQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_listQueued = false;
            listLines();
        });
    });
    connect(&m_lines, &LineService::lineStateChanged, this, &LinesDialog::showState,
            Qt::QueuedConnection);
}

void LinesDialog::listLines()
{
    QString selectedKind;
    QString selectedKey;
    if (const QTreeWidgetItem* item = selectedItem()) {
        selectedKind = item->data(NameColumn, kKindRole).toString();
        selectedKey = item->data(NameColumn, kKeyRole).toString();
    }
    const QSignalBlocker quiet(LinesList);
    LinesList->clear();
    QTreeWidgetItem* reselect = nullptr;
    for (const LineService::ListedLine& listed : m_lines.listLines()) {
        const QString kind = listed.provider->kind();
        auto* item = new QTreeWidgetItem(LinesList);
        item->setText(NameColumn, listed.line.caps.lineName);
        item->setText(KindColumn, kindText(kind));
        setState(item, listed.provider->lineState(listed.line.key));
        item->setData(NameColumn, kKindRole, kind);
        item->setData(NameColumn, kKeyRole, listed.line.key);
        if (kind == selectedKind && listed.line.key == selectedKey)
            reselect = item;
    }
    if (!reselect && LinesList->topLevelItemCount() > 0)
        reselect = LinesList->topLevelItem(0);
    if (reselect)
        LinesList->setCurrentItem(reselect);
    updateButtons();
}

void LinesDialog::showState(const QString& kind, const QString& key)
{
    for (int i = 0; i < LinesList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = LinesList->topLevelItem(i);
        if (item->data(NameColumn, kKindRole).toString() != kind ||
            item->data(NameColumn, kKeyRole).toString() != key)
            continue;
        if (const LineProvider* provider = providerOf(item))
            setState(item, provider->lineState(key));
    }
}

QTreeWidgetItem* LinesDialog::selectedItem() const
{
    const QList<QTreeWidgetItem*> selected = LinesList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

LineProvider* LinesDialog::providerOf(const QTreeWidgetItem* item) const
{
    return item ? m_lines.provider(item->data(NameColumn, kKindRole).toString()) : nullptr;
}

SipProvider* LinesDialog::sipProvider() const
{
    return dynamic_cast<SipProvider*>(m_lines.provider(QStringLiteral("sip")));
}

void LinesDialog::updateButtons()
{
    const QTreeWidgetItem* item = selectedItem();
    const bool sip = item && dynamic_cast<SipProvider*>(providerOf(item)) != nullptr;
    Add_button->setEnabled(sipProvider() != nullptr);
    Edit_button->setEnabled(sip);
    Remove_button->setEnabled(sip);
    Settings_button->setEnabled(item != nullptr);
}

QDialog* LinesDialog::accountDialog() const
{
    return m_accountDialog;
}

void LinesDialog::openAccount(const QString& accountId)
{
    SipProvider* sip = sipProvider();
    if (!sip)
        return;
    auto* dialog = new SipAccountDialog(*sip, m_prompt, accountId, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to this window without blocking the caller, so that the list goes on showing
    // registrations while the account is edited.
    dialog->setWindowModality(Qt::WindowModal);
    m_accountDialog = dialog;
    connect(dialog, &QObject::destroyed, this, [this, dialog] {
        if (m_accountDialog == dialog)
            m_accountDialog = nullptr;
    });
    dialog->show();
}

void LinesDialog::Add_button_Click()
{
    openAccount({});
}

void LinesDialog::Edit_button_Click()
{
    const QTreeWidgetItem* item = selectedItem();
    if (!item || !dynamic_cast<SipProvider*>(providerOf(item)))
        return;
    openAccount(item->data(NameColumn, kKeyRole).toString());
}

void LinesDialog::Remove_button_Click()
{
    const QTreeWidgetItem* item = selectedItem();
    SipProvider* sip = dynamic_cast<SipProvider*>(providerOf(item));
    if (!item || !sip)
        return;
    const QString name = item->text(NameColumn);
    const QString key = item->data(NameColumn, kKeyRole).toString();
    if (m_prompt.messageBox(
            tr("Remove the line \"%1\"? Its SIP account and password are deleted.").arg(name),
            Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    if (!sip->removeAccount(key)) {
        m_prompt.messageBox(tr("The line \"%1\" could not be removed.").arg(name),
                            Prompt::Buttons::Ok, Prompt::Icon::Critical);
    }
    listLines();
}

void LinesDialog::Settings_button_Click()
{
    const QTreeWidgetItem* item = selectedItem();
    if (!item)
        return;
    LineProvider* provider = providerOf(item);
    const QString key = item->data(NameColumn, kKeyRole).toString();
    if (!provider || !LineSettingsDialogs(m_prompt).configDialog(*provider, key, this)) {
        m_prompt.messageBox(
            tr("The line \"%1\" has no settings to show.").arg(item->text(NameColumn)),
            Prompt::Buttons::Ok, Prompt::Icon::Information);
    }
}

} // namespace telvora
