#include "app/Language.h"
#include "call/IncomingCallWindow.h"
#include "editing/CsvMappingDialog.h"
#include "history/HistoryWindow.h"
#include "links/HelpWindow.h"
#include "links/LinkCommands.h"
#include "search/SearchForm.h"
#include "settings/LinesDialog.h"
#include "settings/ModemLineDialog.h"
#include "settings/Registry.h"
#include "settings/SetupForm.h"
#include "settings/StoredSettings.h"
#include "support/SampleWindow.h"
#include "sync/AddressBookDialog.h"
#include "sync/SyncService.h"
#include "telephony/modem/ModemProvider.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

using namespace telvora;
using namespace telvora::test;

namespace {

// Texts that read the same in both languages, and the sample book's groups, which the
// window shows as they are stored.
const QSet<QString> kSameInGerman = {
    QStringLiteral("Telvora"),
    QStringLiteral("SIP"),
    QStringLiteral("OK"),
    QStringLiteral("Fax"),
    QStringLiteral("Internet"),
    QStringLiteral("Modem"),
    QStringLiteral("*"),
    QStringLiteral("#"),
    QStringLiteral("Family"),
    QStringLiteral("Work"),
    QStringLiteral("Telvora  (Family)"),
    QStringLiteral("Name"),
};

bool sameInGerman(const QString& text)
{
    bool number = false;
    text.toInt(&number);
    return number || kSameInGerman.contains(text);
}

struct Shown
{
    QString where;
    QString text;
};

void note(QList<Shown>& texts, const QObject* object, const char* what, const QString& text)
{
    if (!text.isEmpty())
        texts << Shown{object->objectName() + QLatin1Char('.') + QLatin1String(what), text};
}

// What a window shows the user in words, in a fixed order: its title, and the labels,
// buttons, tabs, group boxes, headers, tooltips and accessible names of its visible
// controls, and every item of its menus.
QList<Shown> shownTexts(QWidget* window)
{
    QList<Shown> texts;
    note(texts, window, "title", window->windowTitle());
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (auto* menu = qobject_cast<QMenu*>(widget)) {
            if (menu->parentWidget()->window() != window)
                continue;
            note(texts, menu, "title", menu->title());
            for (const QAction* item : menu->actions())
                note(texts, menu, "item", item->text());
            continue;
        }
        // Windows opened from this one are its children too, but not part of it.
        if (widget->window() != window || !widget->isVisibleTo(window))
            continue;
        note(texts, widget, "toolTip", widget->toolTip());
        note(texts, widget, "accessibleName", widget->accessibleName());
        if (auto* label = qobject_cast<QLabel*>(widget))
            note(texts, widget, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            note(texts, widget, "text", button->text());
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            note(texts, widget, "title", box->title());
        if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                note(texts, widget, "tab", tabs->tabText(i));
        }
        if (auto* tree = qobject_cast<QTreeView*>(widget); tree && tree->model()) {
            for (int i = 0; i < tree->model()->columnCount(); ++i)
                note(texts, widget, "header",
                     tree->model()->headerData(i, Qt::Horizontal).toString());
        }
    }
    return texts;
}

// The windows a user reads, opened on the sample book.
struct Windows
{
    SampleWindow main;
    Registry registry{Registry::defaultPath(), main.prompt};
    StoredSettings settings;
    SetupForm setup{registry, settings, main.lines, main.prompt};
    LinesDialog lines{main.lines, main.prompt};
    SyncService sync{main.form->phoneBook(), main.prompt};
    AddressBookDialog addressBook{sync, main.prompt};
    ModemProvider modems;
    ModemLineDialog modemLine{modems, main.prompt, QString()};
    IncomingCallWindow incoming;
    // The unknown column's header is the file's own text, the same in every language.
    CsvMappingDialog csvColumns{{QStringLiteral("Name"), QStringLiteral("42")},
                                {ContactMapping::csvTarget(QStringLiteral("Name")),
                                 ContactMapping::csvTarget(QStringLiteral("42"))}};

    Windows()
    {
        incoming.showCaller(QStringLiteral("111"), QStringLiteral("111"));
        incoming.show();
        main.form->SearchCMD_Click();
        main.form->HelpCmd_Click();
        main.form->HistoryCMD_Click();
        setup.show();
        lines.show();
        csvColumns.show();
        addressBook.show();
        modemLine.show();
    }
    QList<QWidget*> all()
    {
        return {main.form.get(),
                &setup,
                &lines,
                &addressBook,
                &modemLine,
                main.form->searchForm(),
                main.form->links().helpWindow(),
                main.form->historyForm(),
                &incoming,
                &csvColumns};
    }
};

QList<QList<Shown>> shownInEvery(Windows& windows)
{
    QList<QList<Shown>> result;
    for (QWidget* window : windows.all())
        result << shownTexts(window);
    return result;
}

} // namespace

class LanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void otherLanguagesStayEnglish()
    {
        // A language without a translation of the program leaves every text English, Qt's
        // buttons included, rather than mixing two languages in one window.
        QCOMPARE(Language::install(*qApp, QLocale(QLocale::Swahili)), QString());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void germanLocaleTranslatesEveryShownText()
    {
        QList<QList<Shown>> english;
        {
            Windows windows;
            english = shownInEvery(windows);
        }
        // The test runs under LANG=de_DE.UTF-8: the program's choice from the locale.
        QCOMPARE(QLocale(Language::install(*qApp)).language(), QLocale::German);
        Windows windows;
        const QList<QList<Shown>> german = shownInEvery(windows);

        QCOMPARE(german.size(), english.size());
        QStringList untranslated;
        for (int w = 0; w < english.size(); ++w) {
            QCOMPARE(german[w].size(), english[w].size());
            for (int i = 0; i < english[w].size(); ++i) {
                const Shown& before = english[w][i];
                QCOMPARE(german[w][i].where, before.where);
                if (german[w][i].text == before.text && !sameInGerman(before.text))
                    untranslated << before.where + QStringLiteral(": ") + before.text;
            }
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));

        // Help opens on its German pages.
        QVERIFY(windows.main.form->links().helpWindow()->browser()->toPlainText().contains(
            QStringLiteral("Inhalt")));
        // Qt's own buttons come in the same language.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));

        // Alt+letter presses one button of a window in German too.
        for (QWidget* window : windows.all()) {
            QMultiHash<QChar, QString> pressedBy;
            for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                const QString text = button->text();
                const qsizetype amp = text.indexOf(QLatin1Char('&'));
                if (button->window() == window && button->isVisibleTo(window) && amp >= 0 &&
                    amp + 1 < text.size())
                    pressedBy.insert(text.at(amp + 1).toLower(), text);
            }
            for (const QChar letter : pressedBy.uniqueKeys()) {
                QVERIFY2(pressedBy.count(letter) == 1,
                         qPrintable(window->objectName() + QStringLiteral(": ") +
                                    pressedBy.values(letter).join(QStringLiteral(", "))));
            }
        }
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
