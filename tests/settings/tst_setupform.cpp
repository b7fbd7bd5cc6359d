#include "settings/Registry.h"
#include "settings/SetupForm.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/FakeProvider.h"
#include "telephony/LineService.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

// A settings file, the record loaded from it as the program loads it at start-up, and a
// Setup window on both.
struct Fixture
{
    TestHome home;
    ScriptedPrompt prompt;
    Registry registry{Registry::defaultPath(), prompt};
    StoredSettings settings;
    LineService lines;

    Fixture()
    {
        auto* provider =
            static_cast<FakeProvider*>(&lines.addProvider(std::make_unique<FakeProvider>()));
        provider->setLines({FakeProvider::line(QStringLiteral("a"), QStringLiteral("Office line")),
                            FakeProvider::line(QStringLiteral("b"), QStringLiteral("Home modem"))});
    }

    void store(const QString& name, const QString& text)
    {
        registry.CreateRegistryKey(StoredSettings::keyPath());
        registry.WriteRegistryString(StoredSettings::keyPath(), name, text);
    }
    QString stored(const QString& name)
    {
        return registry.ReadRegistryString(StoredSettings::keyPath(), name);
    }
    std::unique_ptr<SetupForm> open()
    {
        return std::make_unique<SetupForm>(registry, settings, lines, prompt);
    }
};

} // namespace

class SetupFormTest : public QObject
{
    Q_OBJECT

private slots:
    void firstRun()
    {
        Fixture f;
        ReadFromRegistry(f.registry, f.settings);
        QCOMPARE(f.settings.prefix, QString());
        QCOMPARE(f.settings.retryCount, qint16(1));
        QCOMPARE(f.settings.lineIndex, qint16(0));
        QCOMPARE(f.settings.pause, qint16(0));

        auto form = f.open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Setup"));
        QVERIFY(form->cboLineSel->count() >= 2);
        QVERIFY(form->cboLineSel->findText(QStringLiteral("Office line")) >= 0);
        QCOMPARE(form->cboLineSel->currentIndex(), 0);
        // The stored line's icon is drawn.
        QVERIFY(!form->picIcon->pixmap().isNull());
        QCOMPARE(form->prefix_text->text(), QString());
        QCOMPARE(form->retry_times_text->text(), QString());
        QCOMPARE(form->TimeAttemptText->text(), QStringLiteral("0"));
        // History is kept for a year unless told otherwise.
        QCOMPARE(form->HistoryDaysText->text(), QStringLiteral("365"));
        QVERIFY(f.prompt.asked.isEmpty());
    }

    void applyStoresWhatTheWindowShows()
    {
        Fixture f;
        ReadFromRegistry(f.registry, f.settings);
        auto form = f.open();
        const int office = form->cboLineSel->findText(QStringLiteral("Office line"));
        form->cboLineSel->setCurrentIndex(office);
        form->prefix_text->setText(QStringLiteral("9,"));
        form->retry_times_text->setText(QStringLiteral("5"));
        form->TimeAttemptText->setText(QStringLiteral("2.6"));
        form->HistoryDaysText->setText(QStringLiteral("0"));
        form->Apply_Button->click();
        // Apply keeps the window open.
        QCOMPARE(form->result(), 0);
        QCOMPARE(f.stored(StoredSettings::kPrefix), QStringLiteral("9,"));
        QCOMPARE(f.stored(StoredSettings::kRetryTimes), QStringLiteral("5"));
        QCOMPARE(f.stored(StoredSettings::kModemLine), QString::number(office));
        QCOMPARE(f.stored(StoredSettings::kTimeAttempt), QStringLiteral("2.6"));
        QCOMPARE(f.settings.prefix, QStringLiteral("9,"));
        QCOMPARE(f.settings.retryCount, qint16(5));
        QCOMPARE(f.settings.lineIndex, qint16(office));
        QCOMPARE(f.settings.pause, qint16(3));
        QCOMPARE(f.settings.historyDays, qint16(0));

        // What does not convert leaves the record as it was; zero attempts mean one.
        form->retry_times_text->setText(QStringLiteral("three"));
        form->TimeAttemptText->setText(QStringLiteral("70000"));
        // A negative count of days means nothing and keeps the one before.
        form->HistoryDaysText->setText(QStringLiteral("-5"));
        form->OK_button->click();
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(f.settings.retryCount, qint16(5));
        QCOMPARE(f.settings.pause, qint16(3));
        QCOMPARE(f.settings.historyDays, qint16(0));
        StoredSettings fresh;
        ReadFromRegistry(f.registry, fresh);
        QCOMPARE(fresh.retryCount, qint16(1));
        f.store(StoredSettings::kRetryTimes, QStringLiteral("0"));
        ReadFromRegistry(f.registry, f.settings);
        QCOMPARE(f.settings.retryCount, qint16(1));

        // Reopened: the boxes show the stored texts, the pause box the record's value.
        auto again = f.open();
        QCOMPARE(again->retry_times_text->text(), QStringLiteral("0"));
        QCOMPARE(again->TimeAttemptText->text(), QStringLiteral("3"));
        QCOMPARE(again->prefix_text->text(), QStringLiteral("9,"));
    }

    void noLineSelectedStoresMinusOne()
    {
        Fixture f;
        ReadFromRegistry(f.registry, f.settings);
        auto form = f.open();
        form->cboLineSel->setEditText(QStringLiteral("a line that does not exist"));
        QCOMPARE(form->selectedLine(), -1);
        form->Apply_Button->click();
        QCOMPARE(f.stored(StoredSettings::kModemLine), QStringLiteral("-1"));
        QCOMPARE(f.settings.lineIndex, qint16(-1));
        auto again = f.open();
        QCOMPARE(again->cboLineSel->currentIndex(), -1);
        QVERIFY(again->picIcon->pixmap().isNull());
    }

    void cancelChangesNothing()
    {
        Fixture f;
        f.store(StoredSettings::kPrefix, QStringLiteral("0"));
        ReadFromRegistry(f.registry, f.settings);
        auto form = f.open();
        form->prefix_text->setText(QStringLiteral("changed"));
        form->retry_times_text->setText(QStringLiteral("9"));
        form->Cancel_button->click();
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(f.stored(StoredSettings::kPrefix), QStringLiteral("0"));
        QCOMPARE(f.stored(StoredSettings::kRetryTimes), QStringLiteral("Error"));
        QCOMPARE(f.settings.prefix, QStringLiteral("0"));
        QCOMPARE(f.settings.retryCount, qint16(1));
    }

    void settingsThatCannotBeSavedAreTold()
    {
        Fixture f;
        QVERIFY(QDir().mkpath(Registry::defaultPath()));
        ReadFromRegistry(f.registry, f.settings);
        auto form = f.open();
        form->retry_times_text->setText(QStringLiteral("4"));
        form->Apply_Button->click();
        QCOMPARE(f.prompt.messages().size(), 1);
        QVERIFY(f.prompt.messages()[0].text.contains(Registry::defaultPath()));
    }

    // The country numbers from links are dialled from is the locale's until one is chosen,
    // or when the file names one the plans do not know; links wait for Enter until chosen.
    void countryAndLinks()
    {
        Fixture f;
        ReadFromRegistry(f.registry, f.settings);
        QCOMPARE(f.settings.country, StoredSettings::defaultCountry());
        QVERIFY(!f.settings.dialLinksAtOnce);
        auto form = f.open();
        QCOMPARE(form->cboCountry->currentData().toString(), StoredSettings::defaultCountry());
        QVERIFY(!form->chkDialLinks->isChecked());
        form->cboCountry->setCurrentIndex(form->cboCountry->findData(QStringLiteral("AT")));
        form->chkDialLinks->setChecked(true);
        form->Apply_Button->click();
        QCOMPARE(f.stored(StoredSettings::kCountry), QStringLiteral("AT"));
        QCOMPARE(f.settings.country, QStringLiteral("AT"));
        QVERIFY(f.settings.dialLinksAtOnce);
        auto again = f.open();
        QCOMPARE(again->cboCountry->currentText(), QStringLiteral("Austria (+43)"));
        QVERIFY(again->chkDialLinks->isChecked());
        f.store(StoredSettings::kCountry, QStringLiteral("XX"));
        ReadFromRegistry(f.registry, f.settings);
        QCOMPARE(f.settings.country, StoredSettings::defaultCountry());
    }

    void arrangement()
    {
        Fixture f;
        auto form = f.open();
        const struct
        {
            const char* name;
            int left, top, width, height;
        } expected[] = {
            {"cboLineSel", 1215, 225, 3255, 315},      {"picIcon", 4500, 45, 660, 660},
            {"prefix_text", 3285, 675, 960, 375},      {"retry_times_text", 3285, 1170, 960, 375},
            {"TimeAttemptText", 3285, 1665, 960, 375}, {"OK_button", 315, 2475, 1140, 420},
            {"Cancel_button", 1755, 2475, 1140, 420},  {"Apply_Button", 3105, 2475, 1140, 420},
            {"Label1_2", 315, 675, 2685, 240}};
        for (const auto& control : expected) {
            auto* widget = form->findChild<QWidget*>(QLatin1String(control.name));
            QVERIFY2(widget, control.name);
            QCOMPARE(widget->geometry(),
                     twipsRect(control.left, control.top, control.width, control.height));
        }
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label1_2"))->text(),
                 QStringLiteral("to Acces an Outside Line Call :"));
        QVERIFY(form->OK_button->isDefault());
        // Keyboard order: Cancel, OK, attempts, prefix, Apply, line, pause.
        QCOMPARE(form->Cancel_button->nextInFocusChain(), form->OK_button);
        QCOMPARE(form->OK_button->nextInFocusChain(), form->retry_times_text);
        QCOMPARE(form->retry_times_text->nextInFocusChain(), form->prefix_text);
        QCOMPARE(form->prefix_text->nextInFocusChain(), form->Apply_Button);
        QCOMPARE(form->Apply_Button->nextInFocusChain(), form->cboLineSel);
    }
};

QTEST_MAIN(SetupFormTest)
#include "tst_setupform.moc"
