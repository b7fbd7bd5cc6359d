#include "editing/Editing.h"

#include "store/PhoneBook.h"
#include "ui/ButtonBar.h"
#include "ui/IdListBox.h"
#include "ui/QtFileChooser.h"

#include <QAction>
#include <QDropEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>

namespace telvora {

namespace {

// The number lists' menus and the suffix of their items' names.
struct NumberMenu
{
    NumberKind kind;
    const char* menu;
    const char* suffix; // of the items' names: AddPhone, EditPhone, ...
    const char* deleteCaption;
};
const NumberMenu numberMenus[] = {
    {NumberKind::Phone, "PhonesAddEdit", "Phone", QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {NumberKind::Fax, "FaxesAddEdit", "Fax", QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {NumberKind::Mobile, "MobileAddEdit", "Mobile",
     QT_TRANSLATE_NOOP("telvora::Editing", "Delete")},
    {NumberKind::Home, "HomeAddEdit", "Home", QT_TRANSLATE_NOOP("telvora::Editing", "delete")},
};

void run(const QList<std::function<void()>>& commands, int index)
{
    if (index >= 1 && index <= commands.size())
        commands[index - 1]();
}

} // namespace

Editing::Editing(BrowseWindow& window, const EditingToolbars& toolbars, QWidget* menuParent)
    : QObject(menuParent), m_window(window), m_context(window), m_clipboard(m_context),
      m_groups(m_context, m_clipboard), m_names(m_context),
      m_fileChooser(std::make_unique<QtFileChooser>(menuParent)),
      m_contactFiles(m_context, *m_fileChooser, menuParent)
{
    for (const NumberListTexts& kind : NumberCommands::kinds())
        m_numbers.insert(kind.kind, std::make_shared<NumberCommands>(m_context, m_clipboard, kind));
    buildMenus(menuParent);

    connect(toolbars.groups, &ButtonBar::buttonClicked, this, &Editing::groupsToolbarClick);
    connect(toolbars.names, &ButtonBar::buttonClicked, this, &Editing::namesToolbarClick);
    connect(toolbars.subNames, &ButtonBar::buttonClicked, this, &Editing::subNamesToolbarClick);
    for (auto it = toolbars.numbers.cbegin(); it != toolbars.numbers.cend(); ++it) {
        const NumberKind kind = it.key();
        connect(it.value(), &ButtonBar::buttonClicked, this,
                [this, kind](int index) { numbersToolbarClick(kind, index); });
    }

    // A right press and the Menu key (or Shift+F10) open the same menu.
    for (auto pressed : {&IdListBox::rightButtonPressed, &IdListBox::menuKeyPressed}) {
        connect(&window.groupsList(), pressed, this, [this](const QPoint& at) {
            namesListsMouseDown(m_window.groupsList(), QStringLiteral("GroupAddEdit"), at);
        });
        connect(&window.namesList(), pressed, this, [this](const QPoint& at) {
            namesListsMouseDown(m_window.namesList(), QStringLiteral("NamesAddEdit"), at);
        });
        connect(&window.subList(), pressed, this, [this](const QPoint& at) {
            namesListsMouseDown(m_window.subList(), QStringLiteral("SUBAddEdit"), at);
        });
        for (const NumberKind kind : kNumberKinds) {
            connect(&window.numberList(kind), pressed, this,
                    [this, kind](const QPoint& at) { numberListMouseDown(kind, at); });
        }
    }
    connectListKeys();
    if (menuParent) {
        menuParent->setAcceptDrops(true);
        menuParent->installEventFilter(this);
    }
    connect(&window.moveGroupMenu(), &QMenu::triggered, this,
            [this](QAction* item) { m_names.SetGroupItem_Click(item); });
}

Editing::~Editing() = default;

bool Editing::eventFilter(QObject* watched, QEvent* event)
{
    const auto contactFiles = [](const QMimeData* data) {
        QStringList paths;
        if (data && data->hasUrls())
            for (const QUrl& url : data->urls())
                if (url.isLocalFile() && ContactFileCommands::isContactFile(url.toLocalFile()))
                    paths << url.toLocalFile();
        return paths;
    };
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!contactFiles(enter->mimeData()).isEmpty()) {
            enter->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = contactFiles(drop->mimeData());
        if (!paths.isEmpty()) {
            drop->acceptProposedAction();
            for (const QString& path : paths)
                m_contactFiles.importFile(path, QString());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

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
    addItem(groups, QStringLiteral("ImportGroups"), tr("Import..."),
            [this] { m_contactFiles.ImportGroups(); });
    addItem(groups, QStringLiteral("ExportGroup"), tr("Export..."),
            [this] { m_contactFiles.ExportGroup(); });

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
    addItem(names, QStringLiteral("ImportNames"), tr("Import..."),
            [this] { m_contactFiles.ImportNames(); });
    addItem(names, QStringLiteral("ExportNames"), tr("Export..."),
            [this] { m_contactFiles.ExportNames(); });

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
        const NumberKind kind = entry.kind;
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

void Editing::addListKey(IdListBox& list, const QKeySequence& keys, std::function<void()> command)
{
    auto* shortcut = new QShortcut(keys, &list);
    shortcut->setContext(Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, [command = std::move(command)] { command(); });
}

void Editing::connectListKeys()
{
    const QKeySequence add(Qt::Key_Insert);
    const QKeySequence edit(Qt::Key_F2);
    const QKeySequence remove(QKeySequence::Delete);
    const QKeySequence copy(QKeySequence::Copy);
    const QKeySequence cut(QKeySequence::Cut);
    const QKeySequence paste(QKeySequence::Paste);

    IdListBox& groups = m_window.groupsList();
    addListKey(groups, add, [this] { m_groups.AddMenu(); });
    addListKey(groups, edit, [this] { m_groups.GroupEditMenu(); });
    addListKey(groups, remove, [this] { m_groups.DelMenu(); });
    addListKey(groups, paste, [this] { m_groups.PasteGroup(); });

    IdListBox& names = m_window.namesList();
    addListKey(names, add, [this] { m_names.AddName(); });
    addListKey(names, edit, [this] { m_names.NameEditMenu(); });
    addListKey(names, remove, [this] { m_names.DelName(); });
    addListKey(names, copy, [this] { m_clipboard.CopyName(); });
    addListKey(names, cut, [this] { m_clipboard.CutName(); });
    addListKey(names, paste, [this] { m_clipboard.PasteName(); });

    IdListBox& subs = m_window.subList();
    addListKey(subs, add, [this] { m_names.AddSUB(); });
    addListKey(subs, edit, [this] { m_names.EditSUB(); });
    addListKey(subs, remove, [this] { m_names.DelSUB(); });
    addListKey(subs, copy, [this] { m_clipboard.CopySub(); });
    addListKey(subs, cut, [this] { m_clipboard.CutSUB(); });
    addListKey(subs, paste, [this] { m_clipboard.PasteSUB(); });

    for (auto it = m_numbers.cbegin(); it != m_numbers.cend(); ++it) {
        NumberCommands* commands = it.value().get();
        IdListBox& list = m_window.numberList(it.key());
        addListKey(list, add, [commands] { commands->Add(); });
        addListKey(list, edit, [commands] { commands->Edit(); });
        addListKey(list, remove, [commands] { commands->Delete(); });
        addListKey(list, copy, [commands] { commands->Copy(); });
        addListKey(list, cut, [commands] { commands->Cut(); });
        addListKey(list, paste, [commands] { commands->Paste(); });
    }

    // The menus name the keys beside their items; the keys themselves act through the
    // lists above, so an item's key never fires twice.
    const QMap<QString, QKeySequence> itemKeys{
        {QStringLiteral("AddMenu"), add},    {QStringLiteral("GroupEditMenu"), edit},
        {QStringLiteral("DelMenu"), remove}, {QStringLiteral("PasteGroup"), paste},
        {QStringLiteral("AddName"), add},    {QStringLiteral("NameEditMenu"), edit},
        {QStringLiteral("DelName"), remove}, {QStringLiteral("CopyName"), copy},
        {QStringLiteral("CutName"), cut},    {QStringLiteral("PasteName"), paste},
        {QStringLiteral("AddSUB"), add},     {QStringLiteral("EditSUB"), edit},
        {QStringLiteral("DelSUB"), remove},  {QStringLiteral("CopySub"), copy},
        {QStringLiteral("CutSUB"), cut},     {QStringLiteral("PasteSUB"), paste},
    };
    const QStringList numberItems{QStringLiteral("Add"), QStringLiteral("Edit"),
                                  QStringLiteral("Del"), QStringLiteral("Copy"),
                                  QStringLiteral("Cut"), QStringLiteral("Paste")};
    const QList<QKeySequence> numberKeys{add, edit, remove, copy, cut, paste};
    for (QMenu* menu : std::as_const(m_menus)) {
        for (QAction* item : menu->actions()) {
            QKeySequence keys = itemKeys.value(item->objectName());
            for (int i = 0; i < numberItems.size() && keys.isEmpty(); ++i) {
                for (const NumberMenu& entry : numberMenus) {
                    if (item->objectName() == numberItems[i] + QLatin1String(entry.suffix))
                        keys = numberKeys[i];
                }
            }
            if (keys.isEmpty())
                continue;
            item->setShortcut(keys);
            item->setShortcutContext(Qt::WidgetShortcut);
            item->setShortcutVisibleInContextMenu(true);
        }
    }
}

void Editing::namesListsMouseDown(IdListBox& list, const QString& menuName, const QPoint& position)
{
    QMenu* menu = m_menus.value(menuName);
    for (QAction* item : menu->actions())
        item->setEnabled(true);
    menu->popup(list.viewport()->mapToGlobal(position));
}

void Editing::numberListMouseDown(NumberKind kind, const QPoint& position)
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

void Editing::numbersToolbarClick(NumberKind kind, int index)
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
