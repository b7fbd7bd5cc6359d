#include "mainwindow/DialForm.h"

#include "dialing/DialRun.h"
#include "dialing/SpeedDialCommands.h"
#include "editing/Editing.h"
#include "links/LinkCommands.h"
#include "mainwindow/AboutWindow.h"
#include "mainwindow/Icons.h"
#include "search/SearchForm.h"
#include "settings/LinesDialog.h"
#include "settings/SetupForm.h"
#include "store/Schema.h"
#include "sync/AddressBookDialog.h"
#include "sync/SyncService.h"
#include "ui/IdListBox.h"
#include "ui/MenuText.h"
#include "ui/Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>

namespace telvora {

namespace {
const char* const kAllGroups = QT_TRANSLATE_NOOP("telvora::DialForm", "All Groups");
const char* const kNoGroup = QT_TRANSLATE_NOOP("telvora::DialForm", "No Group");
const QString kDataFile = QStringLiteral("data.mdb");
} // namespace

DialForm::DialForm(Prompt& prompt, LineService& lines, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_lines(lines), m_ui(DialFormControls::build(this)),
      m_speedDials(m_book), m_registry(Registry::defaultPath(), prompt)
{
    setWindowIcon(icons::application());
    m_moveGroupMenu = new QMenu(tr("Move to Group"), this);
    m_moveGroupMenu->setObjectName(QStringLiteral("MoveGroup"));
    m_setGroupItems << m_moveGroupMenu->addAction(QString());
    m_speedDialsMenu = new QMenu(tr("Speed Dials"), this);
    m_speedDialsMenu->setObjectName(QStringLiteral("SpeedDials"));
    m_speedDialItems << m_speedDialsMenu->addAction(QString());

    EditingToolbars toolbars{m_ui.TbrGroups, m_ui.TbrNames, m_ui.TbrSUB, {}};
    toolbars.numbers = {{NumberKind::Phone, m_ui.TbrPhones},
                        {NumberKind::Fax, m_ui.TbrFax},
                        {NumberKind::Mobile, m_ui.TbrMobile},
                        {NumberKind::Home, m_ui.TbrHome}};
    m_editing = new Editing(*this, toolbars, this);
    m_links = new LinkCommands(m_prompt, this);
    connectHandlers();
}

IdListBox& DialForm::numberList(NumberKind kind)
{
    switch (kind) {
    case NumberKind::Fax:
        return *m_ui.FaxList;
    case NumberKind::Mobile:
        return *m_ui.MobileList;
    case NumberKind::Home:
        return *m_ui.HomeList;
    case NumberKind::Phone:
        break;
    }
    return *m_ui.PhonesList;
}

DialForm::~DialForm() = default;

void DialForm::connectHandlers()
{
    connect(m_ui.GroupsList, &IdListBox::listClicked, this, &DialForm::GroupsList_Click);
    connect(m_ui.NamesList, &IdListBox::listClicked, this, &DialForm::NamesList_Click);
    connect(m_ui.SubList, &IdListBox::listClicked, this, &DialForm::SubList_Click);
    for (const CardField& field : std::as_const(m_ui.card)) {
        if (auto* line = qobject_cast<QLineEdit*>(field.widget))
            connect(line, &QLineEdit::textChanged, this, &DialForm::Text1_Change);
        else if (auto* lines = qobject_cast<QPlainTextEdit*>(field.widget))
            connect(lines, &QPlainTextEdit::textChanged, this, &DialForm::Text1_Change);
    }
    connect(m_ui.Combo1, &QComboBox::editTextChanged, this, &DialForm::Combo1_Change);
    connect(m_ui.Combo1, &QComboBox::activated, this, &DialForm::Combo1_Click);
    connect(m_ui.ExitCMD, &QPushButton::clicked, this, &DialForm::ExitCMD_Click);
    connect(m_ui.AboutCMD, &QPushButton::clicked, this, &DialForm::AboutCMD_Click);
    connect(m_ui.SetupCMD, &QPushButton::clicked, this, &DialForm::SetupCMD_Click);
    connect(m_ui.SearchCMD, &QPushButton::clicked, this, &DialForm::SearchCMD_Click);
    connect(m_ui.HelpCmd, &QPushButton::clicked, this, &DialForm::HelpCmd_Click);
    connect(m_ui.GOWWW, &QToolButton::clicked, this, &DialForm::GOWWW_Click);
    connect(m_ui.GoMail, &QToolButton::clicked, this, &DialForm::GoMail_Click);
    connectDialing();
    connectHistory();
    connectKeys();
    // A session that ends takes the program with it; the card must not go with it.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { saveCardIfDirty(); });
}

void DialForm::connectKeys()
{
    const std::pair<QKeySequence, void (DialForm::*)()> keys[] = {
        {QKeySequence(Qt::Key_F1), &DialForm::HelpCmd_Click},
        {QKeySequence(Qt::CTRL | Qt::Key_F), &DialForm::SearchCMD_Click},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), &DialForm::ExitCMD_Click},
        {QKeySequence(Qt::CTRL | Qt::Key_H), &DialForm::HistoryCMD_Click},
    };
    for (const auto& [sequence, command] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, command);
    }
}

void DialForm::Form_Load()
{
    show();
    m_startingUp = true;
    m_ui.SubList->clear();
    m_ui.NamesList->clear();
    m_ui.GroupsList->clear();
    ReadFromRegistry(m_registry, m_storedSettings);

    m_book.open(kDataFile);
    indexFields();
    reportOpenProblem();
    if (m_book.isWritable())
        m_callLog->removeOlderThan(m_storedSettings.historyDays);
    const bool editable = m_book.isWritable();
    for (const CardField& field : std::as_const(m_ui.card))
        field.setReadOnly(!editable || field.column == CardColumn::Id);
    m_startingUp = false;

    LoadGroups(std::nullopt, 0);
    m_speedDials.open();
    LoadSpeedDials();
    LoadNames(std::nullopt, 0);
    startSync();

    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>(icons::tray());
        m_tray->setToolTip(tr("Double Click for Telvora"));
        connect(m_tray.get(), &QSystemTrayIcon::activated, this, &DialForm::TrayIcon_Activated);
    }
    m_tray->show();
}

void DialForm::startSync()
{
    if (m_sync || !m_book.isWritable())
        return;
    m_sync = new SyncService(m_book, m_prompt, this);
    connect(m_sync, &SyncService::bookChanged, this, [this] { reloadLists(); });
    QLabel* panel = m_ui.panels.value(4);
    connect(m_sync, &SyncService::statusChanged, this, [panel](const QString& text) {
        if (!panel)
            return;
        panel->setText(text);
        panel->setToolTip(text);
    });
    m_sync->setSaver(&SyncAccountStore::save);
    if (m_ui.StatusBar1) {
        auto* answer = new QToolButton(m_ui.StatusBar1);
        answer->setObjectName(QStringLiteral("SyncQuestionButton"));
        answer->setText(tr("Answer..."));
        answer->setToolTip(tr("The address book sync waits for your answer to a question."));
        answer->hide();
        m_ui.StatusBar1->addPermanentWidget(answer);
        connect(m_sync, &SyncService::questionChanged, answer, &QWidget::setVisible);
        connect(answer, &QToolButton::clicked, m_sync, &SyncService::answerQuestion);
    }
    // The password may come later, from the secret store: the sync starts once it is there.
    struct Pending
    {
        SyncSettings settings;
        bool loaded = false;
        bool passwordCame = false;
    };
    auto pending = std::make_shared<Pending>();
    QPointer<SyncService> sync = m_sync;
    pending->settings = SyncAccountStore::load([sync, pending](const QString& password) {
        pending->passwordCame = true;
        pending->settings.password = password;
        if (sync && pending->loaded && pending->settings.configured())
            sync->configure(pending->settings);
    });
    pending->loaded = true;
    if (pending->passwordCame && pending->settings.configured())
        m_sync->configure(pending->settings);
}

void DialForm::reportOpenProblem()
{
    switch (m_book.state()) {
    case PhoneBook::State::Failed:
        m_prompt.messageBox(tr("The phone book \"%1\" could not be opened: %2.\n\n"
                               "The file is left as it is and nothing will be saved "
                               "to it.")
                                .arg(m_book.filePath(), m_book.errorText()),
                            Prompt::Buttons::Ok, Prompt::Icon::Critical);
        break;
    case PhoneBook::State::ReadOnly:
        m_prompt.messageBox(tr("The phone book \"%1\" is read-only: %2.")
                                .arg(m_book.filePath(), m_book.errorText()),
                            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        break;
    default:
        break;
    }
}

void DialForm::LoadGroups(std::optional<qint64> groupId, std::optional<int> listIndex)
{
    if (m_startingUp)
        return;
    m_listsLoading = true;
    ListRows rows = m_book.groups();
    std::optional<int> remembered;
    for (int i = 0; i < rows.size(); ++i) {
        if (i >= m_setGroupItems.size())
            m_setGroupItems << m_moveGroupMenu->addAction(QString());
        m_setGroupItems[i]->setText(menuText(rows[i].text));
        m_setGroupItems[i]->setData(rows[i].id);
        m_setGroupItems[i]->setVisible(true);
        if (groupId && *groupId == rows[i].id && !remembered)
            remembered = i;
    }
    // Items of groups deleted since the menu was last filled would only beep.
    for (int i = int(rows.size()); i < m_setGroupItems.size(); ++i)
        m_setGroupItems[i]->setVisible(false);
    rows << ListRow{0, tr(kAllGroups)} << ListRow{0, tr(kNoGroup)};
    m_ui.GroupsList->setRows(std::move(rows));
    if (listIndex)
        m_ui.GroupsList->setListIndex(*listIndex);
    if (groupId)
        m_ui.GroupsList->setListIndex(remembered.value_or(0));
    m_listsLoading = false;
}

void DialForm::LoadNames(std::optional<qint64> nameId, std::optional<int> listIndex)
{
    if (m_startingUp)
        return;
    m_listsLoading = true;
    const int group = m_ui.GroupsList->listIndex();
    ListCursor rows;
    if (group >= 0) {
        // The two rows after the stored groups are the window's own; a group a user named
        // "All Groups" is still a group, so they are told apart by place, not by text.
        const int allGroupsRow = m_ui.GroupsList->count() - 2;
        if (group == allGroupsRow)
            rows = m_book.topLevelNamesCursor();
        else if (group == allGroupsRow + 1)
            rows = m_book.topLevelNamesInGroupCursor(0);
        else
            rows = m_book.topLevelNamesInGroupCursor(m_ui.GroupsList->itemData(group));
    }
    m_ui.NamesList->setCursor(std::move(rows));
    std::optional<int> remembered;
    if (nameId) {
        if (const int found = m_ui.NamesList->indexOfId(*nameId); found >= 0)
            remembered = found;
    }
    if (listIndex)
        m_ui.NamesList->setListIndex(*listIndex);
    if (nameId)
        m_ui.NamesList->setListIndex(remembered.value_or(0));
    m_listsLoading = false;
}

void DialForm::GroupsList_Click()
{
    const int group = m_ui.GroupsList->listIndex();
    setWindowTitle(tr("Telvora  (%1)").arg(m_ui.GroupsList->itemText(group)));
    if (m_listsLoading)
        return;
    LoadNames(std::nullopt, 0);
    NamesList_Click();
}

void DialForm::NamesList_Click()
{
    if (m_startingUp)
        return;
    const int name = m_ui.NamesList->listIndex();
    if (name >= 0)
        m_ui.SubList->setRows(m_book.subNames(m_ui.NamesList->itemData(name)));
    saveCardIfDirty();
    m_activeList = QStringLiteral("N");
    if (m_ui.NamesList->count() == 0)
        return;
    m_cardDirty = false;
    LoadCard();

    m_ui.GroupLabel->clear();
    if (name < 0)
        return;
    if (const auto group = m_book.groupOfName(m_ui.NamesList->itemData(name))) {
        if (const auto groupName = m_book.groupName(*group))
            m_ui.GroupLabel->setText(*groupName);
    }
}

void DialForm::SubList_Click()
{
    if (m_startingUp || m_listsLoading)
        return;
    saveCardIfDirty();
    if (m_ui.SubList->count() == 0)
        return;
    m_activeList = QStringLiteral("S");
    m_cardDirty = false;
    LoadCard();
}

void DialForm::saveCardIfDirty()
{
    if (m_cardDirty)
        SaveCard();
}

void DialForm::LoadCard()
{
    const IdListBox* source = m_activeList == QLatin1String("N")   ? m_ui.NamesList
                              : m_activeList == QLatin1String("S") ? m_ui.SubList
                                                                   : nullptr;
    if (source && source->listIndex() >= 0)
        m_cardId = source->itemData(source->listIndex());

    // A row that has gone (deleted elsewhere) shows as an empty card; SaveCard then
    // finds no row to write into. A row whose id stands for no row shows empty and
    // read-only, as nothing typed there could be kept.
    const QVariantList row = m_book.nameRow(m_cardId).value_or(QVariantList{});
    const bool editable = m_book.isWritable() && m_cardId >= 0;
    for (const CardField& field : std::as_const(m_ui.card)) {
        const int position = FieldIndexByName(schema::columnName(field.column));
        field.setText(row.isEmpty() || position < 0 ? QString() : row.value(position).toString());
        field.setReadOnly(!editable || field.column == CardColumn::Id);
    }
    m_cardDirty = false;

    for (const NumberKind kind : kNumberKinds) {
        IdListBox& list = numberList(kind);
        list.setRows(row.isEmpty() ? ListRows{} : m_book.numbers(m_cardId, schema::kindText(kind)));
        SelectAllItems(list);
    }
    showLastCall();
}

void DialForm::SaveCard()
{
    if (!isRowId(m_cardId))
        return;
    const QStringList columns = m_book.nameColumns();
    QList<std::pair<QString, QString>> values;
    for (const CardField& field : std::as_const(m_ui.card)) {
        // Only the card's own columns: a field must never write into id, parent or group.
        if (field.column == CardColumn::Id || field.isCutShort())
            continue;
        const int position = FieldIndexByName(schema::columnName(field.column));
        if (position >= 0)
            values.append({columns.at(position), field.text()});
    }
    if (values.isEmpty() || m_book.updateNameColumns(m_cardId, values))
        return;
    // A contact deleted meanwhile takes its card with it; anything else is a failure the
    // user must hear of, as the edits are not in the file.
    if (m_book.isWritable() && m_book.nameRow(m_cardId)) {
        m_prompt.messageBox(
            tr("The changes to the card could not be saved: %1.").arg(m_book.errorText()),
            Prompt::Buttons::Ok, Prompt::Icon::Critical);
    }
}

int DialForm::FieldIndexByName(const QString& name) const
{
    return m_fieldIndex.value(name.toUpper(), -1);
}

void DialForm::indexFields()
{
    // Every card load and save asks for each field's position among the columns the book
    // reads for a card; they only change when the file is opened, so the answers are
    // worked out once. Fields go by column name wherever the file keeps the column.
    m_fieldIndex.clear();
    const QStringList columns = m_book.nameColumns();
    for (int i = 0; i < columns.size(); ++i)
        m_fieldIndex.insert(columns[i].toUpper(), i);
}

void DialForm::SelectAllItems(IdListBox& list)
{
    list.selectAllItems();
}

void DialForm::closeEvent(QCloseEvent* event)
{
    if (m_exiting) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, event->spontaneous() ? 0 : 1);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void DialForm::Form_QueryUnload(bool& cancel, int unloadMode)
{
    if (unloadMode != 0) {
        ExitCMD_Click();
        return;
    }
    cancel = true;
    // Without a tray there is no way back to a hidden window, so it is only minimised.
    if (m_tray && m_tray->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void DialForm::ExitCMD_Click()
{
    if (m_exiting)
        return;
    m_exiting = true;
    saveCardIfDirty();
    m_dialRun->release();
    m_callLog->flush();
    QCoreApplication::processEvents();
    if (m_tray)
        m_tray->hide();
    m_tray.reset();
    emit exitRequested();
}

void DialForm::TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        showFromTray();
}

void DialForm::showFromTray()
{
    showNormal();
    raise();
    activateWindow();
}

void DialForm::SetupCMD_Click()
{
    auto* setup = new SetupForm(m_registry, m_storedSettings, m_lines, m_prompt, this);
    setup->setAttribute(Qt::WA_DeleteOnClose);
    setup->setWindowModality(Qt::ApplicationModal);
    setup->setLinesDialog([this](QWidget* parent) { LinesDialog::run(m_lines, m_prompt, parent); });
    if (m_sync)
        setup->setAddressBookDialog([this](QWidget* parent) {
            AddressBookDialog dialog(*m_sync, m_prompt, parent);
            dialog.exec();
        });
    setup->show();
}

void DialForm::AboutCMD_Click()
{
    auto* about = new AboutWindow(m_book, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
}

SearchForm* DialForm::searchForm() const
{
    return m_searchForm;
}

void DialForm::SearchCMD_Click()
{
    if (!m_searchForm || m_searchForm->isUnloaded()) {
        m_searchForm =
            new SearchForm(m_book, {m_ui.GroupsList, m_ui.NamesList, m_ui.SubList}, this);
    }
    // Modal without a nested event loop, so the main window's own events keep running.
    m_searchForm->setWindowModality(Qt::ApplicationModal);
    m_searchForm->show();
    m_searchForm->raise();
    m_searchForm->activateWindow();
}

void DialForm::HelpCmd_Click()
{
    m_links->HelpCmd_Click();
}

void DialForm::GOWWW_Click()
{
    m_links->GOWWW_Click(m_ui.cardField(CardColumn::HomePage).text());
}

void DialForm::GoMail_Click()
{
    m_links->GoMail_Click(m_ui.cardField(CardColumn::Email).text());
}

} // namespace telvora
