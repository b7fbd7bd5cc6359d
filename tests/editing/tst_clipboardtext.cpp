#include "editing/ClipboardText.h"
#include "tst_editing.h"

#include <QTest>

using namespace telvora;

void EditingTest::nameClipboardTextRoundTrips_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("textPart");
    QTest::addColumn<qint32>("idPart");
    QTest::newRow("own text") << NameClipboardText::make(QStringLiteral("Smith"), 2, 42)
                              << QStringLiteral("Smith") << 42;
    QTest::newRow("no slash") << QStringLiteral("Plain text") << QStringLiteral("Plain text") << 0;
    QTest::newRow("one slash") << QStringLiteral("a/b") << QStringLiteral("a") << 0;
    QTest::newRow("empty parts") << QStringLiteral("/1/") << QString() << 0;
    QTest::newRow("overflow") << QStringLiteral("x/y/99999999999999999999") << QStringLiteral("x")
                              << 0;
    QTest::newRow("letters") << QStringLiteral("x/1/4a") << QStringLiteral("x") << 0;
    QTest::newRow("more slashes") << QStringLiteral("a/b/c/7") << QStringLiteral("a") << 0;
    QTest::newRow("negative") << QStringLiteral("a/0/-5") << QStringLiteral("a") << -5;
    QTest::newRow("non-Latin") << QStringLiteral("Müller/0/7") << QStringLiteral("Müller") << 7;
}

void EditingTest::nameClipboardTextRoundTrips()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, textPart);
    QFETCH(qint32, idPart);
    const NameClipboardText split = NameClipboardText::split(clipboard);
    QCOMPARE(split.textPart, textPart);
    QCOMPARE(split.idPart, idPart);
}
