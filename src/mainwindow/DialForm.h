#pragma once

#include "editing/BrowseWindow.h"
#include "mainwindow/DialFormControls.h"
#include "numbers/PhoneLink.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "store/PhoneBook.h"
#include "store/SpeedDialSet.h"

#include <QHash>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>
#include <optional>

class QAction;
class QMenu;

namespace telvora {

class SyncService;

class AlertSound;
class CallController;
class CallLog;
class DesktopNotifier;
class DialRun;
class LineCall;
class Editing;
class HistoryWindow;
class IncomingCalls;
class SipProvider;
class KeypadSound;
class LineService;
class LinkCommands;
class Prompt;
class SearchForm;
class SpeedDialCommands;

// The main window: the lists on the left, the card and numbers in the middle, the quick
// dial on the right. It owns the phone book and the selection and card state; the
// commands of each subsystem live in their own classes and reach it through this API.
class DialForm final : public QWidget, public BrowseWindow
{
    Q_OBJECT
public:
    DialForm(Prompt& prompt, LineService& lines, QWidget* parent = nullptr);
    ~DialForm() override;

    // Opens data.mdb in the working directory and fills the window.
    void Form_Load();
    // The close request; unload mode 0 is the user closing the window.
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void ExitCMD_Click();
    // The tray icon was clicked; a double click shows the window.
    void TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason);
    void AboutCMD_Click();
    void SetupCMD_Click();
    void SearchCMD_Click();
    void HelpCmd_Click();
    void GOWWW_Click();
    void GoMail_Click();
    // Opens the call history, or brings it to the front.
    void HistoryCMD_Click();
    HistoryWindow* historyForm() const;
    CallLog& callLog() { return *m_callLog; }
    // The search window while it is loaded: shown, or hidden after a double click.
    SearchForm* searchForm() const;
    LinkCommands& links() { return *m_links; }

    void LoadGroups(std::optional<qint64> groupId = {}, std::optional<int> listIndex = {}) override;
    void LoadNames(std::optional<qint64> nameId = {}, std::optional<int> listIndex = {}) override;
    void GroupsList_Click() override;
    void NamesList_Click();
    void SubList_Click();
    void LoadCard() override;
    void SaveCard();
    // The position of a column in the book's card row, by name without case; -1 when
    // the file has no such column.
    int FieldIndexByName(const QString& name) const;
    static void SelectAllItems(IdListBox& list);
    void LoadSpeedDials();

    // Dialing: the contact's numbers, the keypad and quick dial, the speed dials.
    void DialSelectedNumbers(IdListBox& list);
    void HangCMD_Click();
    void CmdNum_Click(int index);
    void CmdAstric_Click();
    void CmdHash_Click();
    void quickDial_Click();
    void tbrSpeed_ButtonClick(int index);
    void SpeedDial_Click(const QAction* item);
    // A link from the command line or from a later start: the window comes to the front
    // with it in the quick-dial box, where Enter dials it; dialNow, or Setup's choice to
    // dial links at once, starts the run straight away.
    void showLink(const telvora::PhoneLink& link, bool dialNow);
    DialRun& dialRun() { return *m_dialRun; }
    CallController& callController() { return *m_callController; }
    DesktopNotifier& notifier() { return *m_notifier; }
    // Calls coming in on the SIP accounts; null when there is no SIP provider.
    IncomingCalls* incomingCalls() const { return m_incoming; }

    void Text1_Change() { m_cardDirty = true; }
    void Combo1_Change() { m_cardDirty = true; }
    void Combo1_Click() { m_cardDirty = true; }

    QString ActiveList() const override { return m_activeList; }
    qint64 CardId() const override { return m_cardId; }
    void setCardId(qint64 id) override { m_cardId = id; }
    bool CardDirty() const { return m_cardDirty; }
    bool ListsLoading() const { return m_listsLoading; }
    bool StartingUp() const { return m_startingUp; }

    const DialFormControls& controls() const { return m_ui; }
    PhoneBook& phoneBook() override { return m_book; }
    Prompt& prompt() override { return m_prompt; }
    IdListBox& groupsList() override { return *m_ui.GroupsList; }
    IdListBox& namesList() override { return *m_ui.NamesList; }
    IdListBox& subList() override { return *m_ui.SubList; }
    IdListBox& numberList(NumberKind kind) override;
    QMenu& moveGroupMenu() override { return *m_moveGroupMenu; }
    SpeedDialSet& speedDials() { return m_speedDials; }
    Editing& editing() { return *m_editing; }
    Registry& registry() { return m_registry; }
    const StoredSettings& storedSettings() const { return m_storedSettings; }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }
    // The "Move to Group" items, one per group as last loaded, each carrying its group's
    // id; never fewer than one.
    const QList<QAction*>& setGroupItems() const { return m_setGroupItems; }
    QMenu* speedDialsMenu() const { return m_speedDialsMenu; }

signals:
    // The Exit command has run: the program should end now.
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void connectDialing();
    // The sound devices stored for SIP calls, and their storing when the user chooses.
    void restoreSoundDevices(SipProvider& sip);
    void connectHistory();
    // The card's line about the name's latest call.
    void showLastCall();
    // The window's own keys: F1 Help, Ctrl+F search, Ctrl+Q exit.
    void connectKeys();
    void indexFields();
    void keyPress(QChar key);
    // Dials a link as a contact's number is dialled, made dialable for the line first.
    void dialLink(const PhoneLink& link);
    void reportOpenProblem();
    void startSync();
    void saveCardIfDirty();
    void showFromTray();
    // A run got through: a notice, the window to the front and the alert sound, for a
    // user who left it in the tray through all the attempts.
    void runAnswered(LineCall* call);
    void runGaveUp(const QString& lastStatus);

    Prompt& m_prompt;
    LineService& m_lines;
    DialFormControls m_ui;
    PhoneBook m_book;
    // Goes before the book it writes into.
    std::unique_ptr<CallLog> m_callLog;
    QPointer<HistoryWindow> m_historyForm;
    SpeedDialSet m_speedDials;
    Registry m_registry;
    StoredSettings m_storedSettings;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    Editing* m_editing = nullptr;
    LinkCommands* m_links = nullptr;
    QPointer<SearchForm> m_searchForm;
    DialRun* m_dialRun = nullptr;
    KeypadSound* m_keypadSound = nullptr;
    CallController* m_callController = nullptr;
    // Keeps the book in step with an address book server, once one is set up.
    SyncService* m_sync = nullptr;
    DesktopNotifier* m_notifier = nullptr;
    AlertSound* m_alertSound = nullptr;
    IncomingCalls* m_incoming = nullptr;
    std::unique_ptr<SpeedDialCommands> m_speedDialCommands;
    QMenu* m_moveGroupMenu = nullptr;
    QList<QAction*> m_setGroupItems;
    QMenu* m_speedDialsMenu = nullptr;
    QList<QAction*> m_speedDialItems;
    // The link the quick-dial box shows, until its text is changed.
    std::optional<PhoneLink> m_link;

    QHash<QString, int> m_fieldIndex;
    QString m_activeList;
    qint64 m_cardId = 0;
    bool m_cardDirty = false;
    bool m_listsLoading = false;
    bool m_startingUp = true;
    bool m_exiting = false;
};

} // namespace telvora
