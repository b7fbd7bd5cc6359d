// Run once as it stands and once with QT_SCALE_FACTOR=2 (see CMakeLists.txt).
#include "app/Language.h"
#include "editing/CsvMappingDialog.h"
#include "links/HelpWindow.h"
#include "links/LinkCommands.h"
#include "search/SearchForm.h"
#include "settings/ModemLineDialog.h"
#include "settings/SetupForm.h"
#include "support/SampleWindow.h"
#include "sync/AddressBookDialog.h"
#include "sync/SyncService.h"
#include "telephony/modem/ModemProvider.h"
#include "ui/ElidedLabel.h"
#include "ui/IdListBox.h"
#include "ui/TabControl.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>

using namespace telvora;
using namespace telvora::test;

namespace {

bool isControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTabBar*>(widget) ||
           (qobject_cast<const QLabel*>(widget) &&
            !static_cast<const QLabel*>(widget)->text().isEmpty());
}

// The window's visible controls in the order they are painted, each with its rectangle in
// the window's coordinates.
void paintOrder(QWidget* widget, QWidget* window, QList<std::pair<QWidget*, QRect>>& out)
{
    for (QObject* child : widget->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || !w->isVisibleTo(window))
            continue;
        if (isControl(w))
            out.append({w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())});
        // A control's own parts are its business.
        if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractItemView*>(w) &&
            !qobject_cast<QPlainTextEdit*>(w))
            paintOrder(w, window, out);
    }
}

QString name(const QWidget* widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// What keeps a text from being read or a control from being reached: a text wider than
// its control (where it does not end in "…"), a control reaching out of its parent, a
// control painted over by another.
QStringList faults(QWidget* window)
{
    QStringList found;
    QList<std::pair<QWidget*, QRect>> controls;
    paintOrder(window, window, controls);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* control = controls[i].first;
        for (QWidget* parent = control->parentWidget(); parent != window;
             parent = parent->parentWidget()) {
            if (!QRect(parent->mapTo(window, QPoint(0, 0)), parent->size())
                     .contains(controls[i].second))
                found << name(control) + QStringLiteral(" reaches out of ") + name(parent);
        }
        if (auto* elided = qobject_cast<ElidedLabel*>(control)) {
            if (elided->isElided())
                found << name(elided) + QStringLiteral(" is cut short");
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            // A label with a buddy shows its "&" as the underline of the next letter.
            const QString shown =
                label->buddy() ? QString(label->text()).remove(u'&') : label->text();
            if (!label->wordWrap() &&
                label->fontMetrics().horizontalAdvance(shown) > label->contentsRect().width())
                found << name(label) + QStringLiteral(" is wider than its place");
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            const QStyle* style = button->style();
            const int needed =
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) +
                (button->icon().isNull() ? 0 : button->iconSize().width() + 4) +
                style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
            if (needed > button->width())
                found << name(button) + QStringLiteral(" is wider than its place");
        } else if (auto* bar = qobject_cast<QTabBar*>(control)) {
            for (int tab = 0; tab < bar->count(); ++tab) {
                if (bar->fontMetrics().horizontalAdvance(bar->tabText(tab)) >
                    bar->tabRect(tab).width())
                    found << bar->tabText(tab) + QStringLiteral(" tab is cut short");
            }
        }
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            QWidget* above = controls[j].first;
            // Twips rounded to pixels may let neighbours share their edge.
            const QRect shared = controls[i].second.intersected(controls[j].second);
            if (!control->isAncestorOf(above) && shared.width() > 1 && shared.height() > 1)
                found << name(control) + QStringLiteral(" lies under ") + name(above);
        }
    }
    return found;
}

// Each page of each tab control in turn, then the whole window.
QStringList allFaults(QWidget* window)
{
    QStringList found;
    for (TabControl* tabs : window->findChildren<TabControl*>()) {
        for (int page = 0; tabs->page(page); ++page) {
            tabs->setCurrentIndex(page);
            found += faults(window);
        }
        tabs->setCurrentIndex(0);
    }
    if (found.isEmpty())
        found += faults(window);
    found.removeDuplicates();
    return found;
}

} // namespace

class LookTest : public QObject
{
    Q_OBJECT

private slots:
    // The windows in the language the test's locale names (CTest runs it in English and in
    // German): translations are longer, and must fit as well.
    void initTestCase() { Language::install(*QCoreApplication::instance()); }

    void everyTextWholeAndEveryControlInSight_data()
    {
        QTest::addColumn<QString>("family");
        // The desktop's font decides; Liberation has the narrow proportions the window
        // was first laid out in, DejaVu is among the widest common faces.
        QTest::newRow("DejaVu Sans") << QStringLiteral("DejaVu Sans");
        QTest::newRow("Liberation Sans") << QStringLiteral("Liberation Sans");
    }
    void everyTextWholeAndEveryControlInSight()
    {
        QFETCH(QString, family);
        const QFont desktop = QApplication::font();
        QApplication::setFont(QFont(family, desktop.pointSize()));
        {
            SampleWindow w;
            QCOMPARE(QFontInfo(w.form->controls().GroupLabel->font()).family(), family);
            QStringList found = allFaults(w.form.get());

            w.form->SearchCMD_Click();
            found += allFaults(w.form->searchForm());
            QCOMPARE(w.form->searchForm()->NamesList->font(), w.form->controls().NamesList->font());
            w.form->searchForm()->close();
            w.form->SetupCMD_Click();
            auto* setup = w.form->findChild<SetupForm*>();
            QVERIFY(setup);
            found += allFaults(setup);
            setup->close();
            CsvMappingDialog csvColumns({QStringLiteral("Name"), QStringLiteral("Shoe size")},
                                        {ContactMapping::csvTarget(QStringLiteral("Name")),
                                         ContactMapping::csvTarget(QStringLiteral("Shoe size"))},
                                        w.form.get());
            csvColumns.show();
            found += allFaults(&csvColumns);
            ModemProvider modems;
            ModemLineDialog modemLine(modems, w.prompt, QString());
            modemLine.show();
            found += allFaults(&modemLine);
            SyncService sync(w.form->phoneBook(), w.prompt);
            AddressBookDialog addressBook(sync, w.prompt);
            addressBook.show();
            found += allFaults(&addressBook);
            for (const QString& fault : std::as_const(found))
                qWarning("%s", qPrintable(fault));
            QVERIFY(found.isEmpty());

            // A group name too long for its place ends in "…" and is whole in its tip.
            w.form->controls().GroupLabel->setText(QString(60, u'W'));
            auto* group = qobject_cast<ElidedLabel*>(w.form->controls().GroupLabel);
            QVERIFY(group && group->isElided());
        }
        QApplication::setFont(desktop);
    }

    void helpOpensWholeOnTheScreen()
    {
        SampleWindow w;
        w.form->move(w.form->screen()->availableGeometry().bottomRight() - QPoint(200, 200));
        w.form->HelpCmd_Click();
        HelpWindow* help = w.form->links().helpWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->browser()->toPlainText().contains(QDir::toNativeSeparators(w.home.path())));
        const QRect screen = help->screen()->availableGeometry();
        QVERIFY2(screen.contains(help->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(help->frameGeometry().x())
                                .arg(help->frameGeometry().y())
                                .arg(help->frameGeometry().width())
                                .arg(help->frameGeometry().height())));
    }
};

QTEST_MAIN(LookTest)
#include "tst_look.moc"
