#include "editing/Editing.h"

#include "store/PhoneBook.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"

#include <QAction>
#include <QMenu>

namespace telvora {

namespace {

// The number lists' menus and the suffix of their items' names.
struct NumberMenu
{
    const char* kind;
    const char* menu;
    const char* suffix; // of the items' names: AddPhone, EditPhone, ...
    const char* deleteCaption;
};
const NumberMenu numberMenus[] = {
    {"Phone", "PhonesAddEdit", "Phone", QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {"Fax", "FaxesAddEdit", "Fax", QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {"Mobile", "MobileAddEdit", "Mobile", QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {"Home", "HomeAddEdit", "Home", QT_TRANSLATE_NOOP("telvora::Editing", "delete")},
};

void run(const QList<std::function<void()>>& commands, int index)
{
    if (index >= 1 && index <= commands.size())
        commands[index - 1]();
}

} // namespace

Editing::Editing(BrowseWindow& window, const EditingToolbars& toolbars, QWidget* menuParent)
    : QObject(menuParent), m_window(window), m_context(window), m_clipboard(m_context),
      m_groups(m_context, m_clipboard), m_names(m_context)
{
    for (const NumberKind& kind : NumberCommands::kinds())
        m_numbers.insert(kind.kind, std::make_shared<NumberCommands>(m_context, m_clipboard, kind));
    buildMenus(menuParent);

    connect(toolbars.groups, &ButtonBar::buttonClicked, this, &Editing::groupsToolbarClick);
    connect(toolbars.names, &ButtonBar::buttonClicked, this, &Editing::namesToolbarClick);
    connect(toolbars.subNames, &ButtonBar::buttonClicked, this, &Editing::subNamesToolbarClick);
    for (auto it = toolbars.numbers.cbegin(); it != toolbars.numbers.cend(); ++it) {
        const QString kind = it.key();
        connect(it.value(), &ButtonBar::buttonClicked, this,
                [this, kind](int index) { numbersToolbarClick(kind, index); });
    }

    connect(&window.groupsList(), &IdListBox::rightButtonPressed, this, [this](const QPoint& at) {
        namesListsMouseDown(m_window.groupsList(), QStringLiteral("GroupAddEdit"), at);
    });
    connect(&window.namesList(), &IdListBox::rightButtonPressed, this, [this](const QPoint& at) {
        namesListsMouseDown(m_window.namesList(), QStringLiteral("NamesAddEdit"), at);
    });
    connect(&window.subList(), &IdListBox::rightButtonPressed, this, [this](const QPoint& at) {
        namesListsMouseDown(m_window.subList(), QStringLiteral("SUBAddEdit"), at);
    });
    for (const NumberKind& kind : NumberCommands::kinds()) {
        const QString name = kind.kind;
        connect(&window.numberList(name), &IdListBox::rightButtonPressed, this,
                [this, name](const QPoint& at) { numberListMouseDown(name, at); });
    }
    connect(&window.moveGroupMenu(), &QMenu::triggered, this,
            [this](QAction* item) { m_names.SetGroupItem_Click(item); });
}

Editing::~Editing() = default;

QMenu* Editing::makeMenu(const QString& name, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    m_menus.insert(name, menu);
    return menu;
}

QAction* Editing::addItem(QMenu* menu, const QString& name, const QString& caption,
                          std::function<void()> command)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    connect(item, &QAction::triggered, this, [command = std::move(command)] { command(); });
    return item;
}

void Editing::buildMenus(QWidget* parent)
{
    QMenu* groups = makeMenu(QStringLiteral("GroupAddEdit"), parent);
    addItem(groups, QStringLiteral("AddMenu"), tr("Add"), [this] { m_groups.AddMenu(); });
    addItem(groups, QStringLiteral("GroupEditMenu"), tr("Edit"),
            [this] { m_groups.GroupEditMenu(); });
    addItem(groups, QStringLiteral("DelMenu"), tr("Delete"), [this] { m_groups.DelMenu(); });
    addItem(groups, QStringLiteral("PasteGroup"), tr("Paste"), [this] { m_groups.PasteGroup(); });

    QMenu* names = makeMenu(QStringLiteral("NamesAddEdit"), parent);
    addItem(names, QStringLiteral("AddName"), tr("Add New Name"), [this] { m_names.AddName(); });
    addItem(names, QStringLiteral("AddSubName"), tr("Add SUB Name"),
            [this] { m_names.AddSubName(); });
    addItem(names, QStringLiteral("NameEditMenu"), tr("Edit"), [this] { m_names.NameEditMenu(); });
    addItem(names, QStringLiteral("DelName"), tr("Delete"), [this] { m_names.DelName(); });
    addItem(names, QStringLiteral("CopyName"), tr("Copy"), [this] { m_clipboard.CopyName(); });
    addItem(names, QStringLiteral("CutName"), tr("Cut"), [this] { m_clipboard.CutName(); });
    addItem(names, QStringLiteral("PasteName"), tr("Paste"), [this] { m_clipboard.PasteName(); });
    QMenu& moveGroup = m_window.moveGroupMenu();
    moveGroup.setTitle(tr("Move to Group"));
    names->addMenu(&moveGroup)->setObjectName(QStringLiteral("MoveGroup"));

    QMenu* subs = makeMenu(QStringLiteral("SUBAddEdit"), parent);
    addItem(subs, QStringLiteral("AddSUB"), tr("Add"), [this] { m_names.AddSUB(); });
    addItem(subs, QStringLiteral("EditSUB"), tr("Edit"), [this] { m_names.EditSUB(); });
    addItem(subs, QStringLiteral("DelSUB"), tr("Delete"), [this] { m_names.DelSUB(); });
    addItem(subs, QStringLiteral("CopySub"), tr("Copy"), [this] { m_clipboard.CopySub(); });
    addItem(subs, QStringLiteral("CutSUB"), tr("Cut"), [this] { m_clipboard.CutSUB(); });
    addItem(subs, QStringLiteral("PasteSUB"), tr("Paste"), [this] { m_clipboard.PasteSUB(); });
    // A sub-name has no numbers of its own to dial from here: the item does nothing.
    addItem(subs, QStringLiteral("DialSUB"), tr("Dial"), [] {});

    for (const NumberMenu& entry : numberMenus) {
        const QString kind = QLatin1String(entry.kind);
        const QString suffix = QLatin1String(entry.suffix);
        NumberCommands* commands = m_numbers.value(kind).get();
        QMenu* menu = makeMenu(QLatin1String(entry.menu), parent);
        NumberMenuItems& items = m_numberMenus[kind];
        items.menu = menu;
        addItem(menu, QStringLiteral("Add") + suffix, tr("Add"), [commands] { commands->Add(); });
        items.needSelection << addItem(menu, QStringLiteral("Edit") + suffix, tr("Edit"),
                                       [commands] { commands->Edit(); });
        items.needSelection << addItem(menu, QStringLiteral("Del") + suffix,
                                       tr(entry.deleteCaption), [commands] { commands->Delete(); });
        // Copy stays available: with nothing selected it answers with a beep.
        addItem(menu, QStringLiteral("Copy") + suffix, tr("Copy"),
                [commands] { commands->Copy(); });
        items.needSelection << addItem(menu, QStringLiteral("Cut") + suffix, tr("Cut"),
                                       [commands] { commands->Cut(); });
        items.paste = addItem(menu, QStringLiteral("Paste") + suffix, tr("Paste"),
                              [commands] { commands->Paste(); });
        items.needSelection << addItem(menu, QStringLiteral("Dial") + suffix, tr("Dial"),
                                       [this, kind] { emit dialRequested(kind); });
    }
}

void Editing::namesListsMouseDown(IdListBox& list, const QString& menuName, const QPoint& position)
{
    QMenu* menu = m_menus.value(menuName);
    for (QAction* item : menu->actions())
        item->setEnabled(true);
    menu->popup(list.viewport()->mapToGlobal(position));
}

void Editing::numberListMouseDown(const QString& kind, const QPoint& position)
{
    const auto it = m_numberMenus.constFind(kind);
    if (it == m_numberMenus.constEnd())
        return;
    IdListBox& list = m_window.numberList(kind);
    const bool selected = !list.selectedItems().isEmpty();
    for (QAction* item : it->needSelection)
        item->setEnabled(selected);
    it->paste->setEnabled(!PhonebookClipboard::text().isEmpty());
    it->menu->popup(list.viewport()->mapToGlobal(position));
}

void Editing::groupsToolbarClick(int index)
{
    run({[this] { m_groups.AddMenu(); }, [this] { m_groups.GroupEditMenu(); },
         [this] { m_groups.DelMenu(); },
         [this] {
             m_groups.PasteGroup();
         }},
        index);
}

void Editing::namesToolbarClick(int index)
{
    run({[this] { m_names.AddName(); }, [this] { m_names.AddSubName(); },
         [this] { m_names.NameEditMenu(); }, [this] { m_names.DelName(); },
         [this] { m_clipboard.CopyName(); }, [this] { m_clipboard.CutName(); },
         [this] {
             m_clipboard.PasteName();
         }},
        index);
}

void Editing::subNamesToolbarClick(int index)
{
    run({[this] { m_names.AddSUB(); }, [this] { m_names.EditSUB(); }, [this] { m_names.DelSUB(); },
         [this] { m_clipboard.CopySub(); }, [this] { m_clipboard.CutSUB(); },
         [this] {
             m_clipboard.PasteSUB();
         }},
        index);
}

void Editing::numbersToolbarClick(const QString& kind, int index)
{
    NumberCommands* commands = m_numbers.value(kind).get();
    if (!commands)
        return;
    run({[commands] { commands->Add(); }, [commands] { commands->Edit(); },
         [commands] { commands->Delete(); }, [commands] { commands->Copy(); },
         [commands] { commands->Cut(); },
         [commands] {
             commands->Paste();
         }},
        index);
}

} // namespace telvora
