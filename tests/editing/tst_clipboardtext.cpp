#include "editing/ClipboardText.h"
#include "tst_editing.h"

#include <QTest>

using namespace telvora;

void EditingTest::nameClipboardTextRoundTrips_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("textPart");
    QTest::addColumn<qint64>("idPart");
    QTest::newRow("own text") << NameClipboardText::make(QStringLiteral("Smith"), 2, 42)
                              << QStringLiteral("Smith") << qint64(42);
    QTest::newRow("no slash") << QStringLiteral("Plain text") << QStringLiteral("Plain text")
                              << qint64(0);
    QTest::newRow("one slash") << QStringLiteral("a/b") << QStringLiteral("a") << qint64(0);
    QTest::newRow("empty parts") << QStringLiteral("/1/") << QString() << qint64(0);
    QTest::newRow("overflow") << QStringLiteral("x/y/99999999999999999999") << QStringLiteral("x")
                              << qint64(0);
    QTest::newRow("letters") << QStringLiteral("x/1/4a") << QStringLiteral("x") << qint64(0);
    QTest::newRow("more slashes") << QStringLiteral("a/b/c/7") << QStringLiteral("a") << qint64(0);
    QTest::newRow("negative") << QStringLiteral("a/0/-5") << QStringLiteral("a") << qint64(-5);
    QTest::newRow("beyond 32 bits") << NameClipboardText::make(QStringLiteral("Big"), 0, 4294967297)
                                    << QStringLiteral("Big") << qint64(4294967297);
    QTest::newRow("non-Latin") << QStringLiteral("Müller/0/7") << QStringLiteral("Müller")
                               << qint64(7);
}

void EditingTest::nameClipboardTextRoundTrips()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, textPart);
    QFETCH(qint64, idPart);
    const NameClipboardText split = NameClipboardText::split(clipboard);
    QCOMPARE(split.textPart, textPart);
    QCOMPARE(split.idPart, idPart);
}
