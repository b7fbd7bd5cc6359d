#include "support/BookContents.h"

#include "store/PhoneBook.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

namespace telvora::test {

QStringList bookContents(PhoneBook& book)
{
    QStringList lines;
    QHash<qint64, QString> groups;
    for (const ListRow& group : book.groups()) {
        groups.insert(group.id, group.text);
        lines << QStringLiteral("group ") + group.text;
    }
    QHash<qint64, std::pair<QString, qint64>> names;
    QSqlQuery all(book.database());
    all.exec(QStringLiteral("SELECT id, name, parent FROM names"));
    while (all.next())
        names.insert(all.value(0).toLongLong(),
                     {all.value(1).toString(), all.value(2).toLongLong()});
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        QString path = it->first;
        for (qint64 parent = it->second; parent > 0; parent = names.value(parent).second)
            path = names.value(parent).first + QStringLiteral(" > ") + path;
        const QVariantList row = book.nameRow(it.key()).value();
        QString line = groups.value(row.value(3).toLongLong()) + QStringLiteral(" | ") + path;
        for (const QString& column : schema::cardColumns())
            line += QStringLiteral(" | ") + column + QLatin1Char('=') +
                    row.value(book.nameColumns().indexOf(column)).toString();
        for (const QString& kind : schema::numberKinds()) {
            QStringList numbers;
            for (const ListRow& number : book.numbers(it.key(), kind))
                numbers << number.text;
            numbers.sort();
            line +=
                QStringLiteral(" | ") + kind + QLatin1Char('=') + numbers.join(QLatin1Char('/'));
        }
        lines << line;
    }
    lines.sort();
    return lines;
}

void fillRichBook(PhoneBook& book)
{
    const qint64 family = book.addGroup(QStringLiteral("Familie Müller"));
    const qint64 work = book.addGroup(QStringLiteral("Работа, \"офис\"; 東京"));
    QVERIFY(family > 0 && work > 0);
    bool stored = true;
    const auto person = [&](const QString& name, qint64 parent, qint64 group, int seed) {
        const qint64 id = book.addName(name, parent, group);
        QList<std::pair<QString, QString>> card;
        for (const QString& column : schema::cardColumns())
            card.append({column, QStringLiteral("%1 %2 «ß», \"q\"; a\\b").arg(column).arg(seed)});
        card.append(
            {QStringLiteral("Notes"),
             QStringLiteral("Line one, with comma\nLine two; \"quoted\"\n日本語 %1").arg(seed)});
        stored = stored && book.updateNameColumns(id, card);
        for (const QString& kind : schema::numberKinds())
            stored =
                stored && (book.addNumber(QStringLiteral("+49 30 %1%2").arg(seed).arg(kind.size()),
                                          id, kind) > 0);
        return id;
    };
    const qint64 boss = person(QStringLiteral("Schröder, Jürgen"), 0, work, 1);
    const qint64 assistant = person(QStringLiteral("Ассистент"), boss, work, 2);
    person(QStringLiteral("Branch; \"North\""), assistant, work, 3);
    person(QStringLiteral("Ωmega"), 0, family, 4);
    QVERIFY(stored);
    QVERIFY(book.addName(QStringLiteral("No group, no card"), 0, 0) > 0);
    const qint64 bare = book.addName(QStringLiteral("Only numbers"), 0, family);
    QVERIFY(book.addNumber(QStringLiteral("0171 2"), bare, QStringLiteral("Mobile")) > 0);
    QVERIFY(book.addNumber(QStringLiteral("0171 3"), bare, QStringLiteral("Mobile")) > 0);
}

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace telvora::test
