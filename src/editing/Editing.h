#pragma once

#include "editing/ContactFileCommands.h"
#include "editing/EditContext.h"
#include "editing/GroupCommands.h"
#include "editing/NameCommands.h"
#include "editing/NumberCommands.h"
#include "editing/PhonebookClipboard.h"

#include <QMap>
#include <QObject>
#include <memory>

class QAction;
class QKeySequence;
class QMenu;
class QWidget;

namespace telvora {

class ButtonBar;
class FileChooser;

// The toolbars the editing commands answer, one per list.
struct EditingToolbars
{
    ButtonBar* groups = nullptr;
    ButtonBar* names = nullptr;
    ButtonBar* subNames = nullptr;
    QMap<NumberKind, ButtonBar*> numbers;
};

// All editing of the phone book: the commands, the lists' pop-up menus and the routing
// of toolbar buttons and right-button presses to them.
class Editing final : public QObject
{
    Q_OBJECT
public:
    Editing(BrowseWindow& window, const EditingToolbars& toolbars, QWidget* menuParent);
    ~Editing() override;

    GroupCommands& groups() { return m_groups; }
    NameCommands& names() { return m_names; }
    PhonebookClipboard& clipboard() { return m_clipboard; }
    NumberCommands& numbers(NumberKind kind) { return *m_numbers.value(kind); }
    ContactFileCommands& contactFiles() { return m_contactFiles; }

    // The pop-up menus by name: GroupAddEdit, NamesAddEdit, SUBAddEdit, PhonesAddEdit,
    // FaxesAddEdit, MobileAddEdit, HomeAddEdit.
    QMenu* menu(const QString& name) const { return m_menus.value(name); }

    // A right-button press in a list, at a position in the list's own coordinates.
    void namesListsMouseDown(IdListBox& list, const QString& menuName, const QPoint& position);
    void numberListMouseDown(NumberKind kind, const QPoint& position);

    void groupsToolbarClick(int index);
    void namesToolbarClick(int index);
    void subNamesToolbarClick(int index);
    void numbersToolbarClick(NumberKind kind, int index);

signals:
    // The "Dial" item of a number list's menu: dial the selected numbers of that kind.
    void dialRequested(NumberKind kind);

protected:
    // Files dropped on the window are imported.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* makeMenu(const QString& name, QWidget* parent);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     std::function<void()> command);
    void buildMenus(QWidget* parent);
    // The menus' keys, acting in the list that has the focus.
    void connectListKeys();
    void addListKey(IdListBox& list, const QKeySequence& keys, std::function<void()> command);

    BrowseWindow& m_window;
    EditContext m_context;
    PhonebookClipboard m_clipboard;
    GroupCommands m_groups;
    NameCommands m_names;
    QMap<NumberKind, std::shared_ptr<NumberCommands>> m_numbers;
    std::unique_ptr<FileChooser> m_fileChooser;
    ContactFileCommands m_contactFiles;
    QMap<QString, QMenu*> m_menus;
    // For each number kind, its menu's items that need a selected number, and Paste.
    struct NumberMenuItems
    {
        QMenu* menu = nullptr;
        QList<QAction*> needSelection;
        QAction* paste = nullptr;
    };
    QMap<NumberKind, NumberMenuItems> m_numberMenus;
};

} // namespace telvora
