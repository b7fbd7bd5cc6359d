// The contact card with very long texts: loading a card whose fields hold a megabyte of
// text without a single space, saving it, and typing into a field that holds the longest
// text a field shows whole. Usage:
//   telvora_bench_card [--benchmark_...] [SIZE]
// SIZE is the length of each long text in characters (1,048,576 unless given).

#include "mainwindow/DialForm.h"
#include "mainwindow/DialFormControls.h"
#include "support/ScriptedPrompt.h"
#include "telephony/LineService.h"
#include "ui/IdListBox.h"
#include "ui/TabControl.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace telvora;

namespace {

qsizetype textSize = 1 << 20;

struct Session
{
    test::ScriptedPrompt prompt;
    LineService lines;
    std::unique_ptr<DialForm> form;

    IdListBox& names() { return *form->controls().NamesList; }
    int indexOf(const QString& text)
    {
        for (int i = 0; i < names().count(); ++i) {
            if (names().itemText(i) == text)
                return i;
        }
        return -1;
    }
    QPlainTextEdit& notes() { return *qobject_cast<QPlainTextEdit*>(form->controls().Text1[0]); }
    QLineEdit& company() { return *qobject_cast<QLineEdit*>(form->controls().Text1[100]); }
};

Session* session = nullptr;

// Lets the window lay out and paint what changed, as it would before the next key press.
void settle()
{
    QApplication::processEvents();
}

bool ready(benchmark::State& state, bool condition, const char* why)
{
    if (!condition)
        state.SkipWithError(why);
    return condition;
}

// A click on the short name and back on the long one: the long card is loaded each time.
void loadCard(benchmark::State& state)
{
    const int shortName = session->indexOf(QStringLiteral("Short"));
    const int longName = session->indexOf(QStringLiteral("Long"));
    for (auto _ : state) {
        state.PauseTiming();
        session->names().setListIndex(shortName);
        settle();
        state.ResumeTiming();
        session->names().setListIndex(longName);
        settle();
    }
    ready(state, session->form->CardId() > 0 && !session->notes().toPlainText().isEmpty(),
          "the card is empty");
}

void saveCard(benchmark::State& state)
{
    session->names().setListIndex(session->indexOf(QStringLiteral("Long")));
    settle();
    for (auto _ : state)
        session->form->SaveCard();
}

// A key press at the end of the field and a Backspace, each with the repaint that follows
// it, so the field keeps its length however long the benchmark runs.
void typeInto(benchmark::State& state, QWidget& field)
{
    session->names().setListIndex(session->indexOf(QStringLiteral("Edge")));
    field.setFocus();
    QTest::keyClick(&field, Qt::Key_End, Qt::ControlModifier);
    settle();
    for (auto _ : state) {
        QTest::keyClick(&field, Qt::Key_Y);
        settle();
        QTest::keyClick(&field, Qt::Key_Backspace);
        settle();
    }
    ready(state, session->form->CardDirty(), "the key press did not reach the card");
}

void registerAll()
{
    const auto add = [](const char* name, auto function) {
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    add("LoadCard/LongTexts", loadCard);
    add("SaveCard/LongTexts", saveCard);
    add("TypeInto/Notes", [](benchmark::State& state) { typeInto(state, session->notes()); });
    add("TypeInto/Company", [](benchmark::State& state) { typeInto(state, session->company()); });
}

QList<std::pair<QString, QString>> fieldsHolding(const QString& text)
{
    QList<std::pair<QString, QString>> fields;
    for (const QString& column :
         {QStringLiteral("FullName"), QStringLiteral("Company"), QStringLiteral("Notes"),
          QStringLiteral("AddressHome"), QStringLiteral("Email"), QStringLiteral("HomePage")})
        fields.append({column, text});
    return fields;
}

// A name whose card fields hold the long text, one whose fields hold the longest text shown
// whole (or the long text, when that is shorter), and a short one to click away to.
bool writeBook()
{
    PhoneBook book;
    book.open(QStringLiteral("data.mdb"));
    const QString text(textSize, QLatin1Char('x'));
    const qint64 longName = book.addName(QStringLiteral("Long"), 0, 0);
    const qint64 edge = book.addName(QStringLiteral("Edge"), 0, 0);
    return book.addName(QStringLiteral("Short"), 0, 0) > 0 &&
           book.updateNameColumns(longName, fieldsHolding(text)) &&
           book.updateNameColumns(edge, fieldsHolding(text.left(CardField::kShownLimit - 8)));
}

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [--benchmark_...] [SIZE]\n", argv[0]);
        return 2;
    }
    if (argc == 2)
        textSize = QByteArray(argv[1]).toLongLong();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir home;
    qputenv("TELVORA_HOME", home.path().toUtf8());
    QDir::setCurrent(home.path());
    if (textSize <= 0 || !writeBook()) {
        std::fprintf(stderr, "cannot write the phone book\n");
        return 1;
    }

    Session state;
    state.form = std::make_unique<DialForm>(state.prompt, state.lines);
    state.form->Form_Load();
    // The tab with Notes and Company: a field on a hidden tab is never laid out.
    state.form->controls().SSTab1->setCurrentIndex(1);
    settle();
    session = &state;
    benchmark::AddCustomContext("text size", std::to_string(textSize));
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    session = nullptr;
    return 0;
}
