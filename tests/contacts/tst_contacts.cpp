#include "contacts/ContactExport.h"
#include "contacts/ContactImport.h"
#include "store/PhoneBook.h"
#include "support/BookContents.h"
#include "support/TestHome.h"

#include <QBuffer>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {

// An import of these bytes, as the given kind of file.
bool importBytes(const QByteArray& bytes, bool csv, ContactImport& import)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return csv ? import.importCsv(buffer) : import.importVCard(buffer);
}

qint64 count(PhoneBook& book, const char* table)
{
    QSqlQuery query(book.database());
    query.exec(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
    return query.next() ? query.value(0).toLongLong() : -1;
}

// The card columns of the one name called `name`, by column.
QString card(PhoneBook& book, const QString& name, const char* column)
{
    QSqlQuery query(book.database());
    query.prepare(
        QStringLiteral("SELECT \"%1\" FROM names WHERE name = ?").arg(QLatin1String(column)));
    query.addBindValue(name);
    query.exec();
    return query.next() ? query.value(0).toString() : QStringLiteral("<no such name>");
}

QStringList numbers(PhoneBook& book, const QString& name)
{
    QSqlQuery query(book.database());
    query.prepare(QStringLiteral("SELECT m.type || ':' || m.name FROM numbers m JOIN names n"
                                 " ON n.id = m.parent WHERE n.name = ? ORDER BY m.id"));
    query.addBindValue(name);
    query.exec();
    QStringList list;
    while (query.next())
        list << query.value(0).toString();
    return list;
}

// The search indexes hold exactly the rows of their tables, and new rows still reach them.
bool searchIndexSound(PhoneBook& book)
{
    QSqlQuery query(book.database());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND"
                                   " name IN ('names_search_insert', 'numbers_search_insert')")) ||
        !query.next() || query.value(0).toInt() != 2)
        return false;
    for (const char* index : {"names_search", "numbers_search"})
        if (!query.exec(QStringLiteral("INSERT INTO %1 (%1, rank) VALUES ('integrity-check', 1)")
                            .arg(QLatin1String(index))))
            return false;
    return true;
}

} // namespace

class TstContacts : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void readsVersions();
    void readsCsvExports();
    void damagedFilesImportNothing_data();
    void damagedFilesImportNothing();
    void skipsPicturesAndExportsGroupsAndNames();
    void namesGoToAGroupTheyCanBeFoundIn();
};

void TstContacts::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("vCard 4.0") << int(ContactExport::Format::VCard4);
    QTest::newRow("vCard 3.0") << int(ContactExport::Format::VCard3);
    QTest::newRow("CSV") << int(ContactExport::Format::Csv);
}

void TstContacts::roundTrip()
{
    QFETCH(int, format);
    TestHome home;
    PhoneBook source, target;
    QVERIFY(source.open(home.file(QStringLiteral("source.mdb"))) == PhoneBook::State::Created);
    QVERIFY(target.open(home.file(QStringLiteral("target.mdb"))) == PhoneBook::State::Created);
    fillRichBook(source);
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    ContactExport exporter(source);
    QVERIFY2(exporter.exportBook(file, ContactExport::Format(format)),
             qPrintable(exporter.errorText()));
    QCOMPARE(exporter.summary(), QStringLiteral("Exported 6 names and 18 numbers"));

    const bool csv = format == int(ContactExport::Format::Csv);
    ContactImport import(target);
    QVERIFY2(importBytes(file.data(), csv, import), qPrintable(import.errorText()));
    QCOMPARE(import.summary(), QStringLiteral("Imported 6 names and 18 numbers"));
    QCOMPARE(bookContents(target), bookContents(source));
    QVERIFY(searchIndexSound(target));

    // The same file again adds nothing.
    QVERIFY(importBytes(file.data(), csv, import));
    QCOMPARE(import.names(), 0);
    QCOMPARE(import.skipped(), 6);
    QCOMPARE(bookContents(target), bookContents(source));
}

void TstContacts::readsVersions()
{
    TestHome home;
    PhoneBook book;
    book.open(home.file(QStringLiteral("data.mdb")));
    // As phones write 2.1: bare types, Latin-1 in quoted-printable with a soft line break.
    const QByteArray v21 =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=F6rg\r\n"
        "TEL;CELL:+49 170 1\r\nTEL;WORK;VOICE:030 2\r\nTEL;HOME;FAX:030 3\r\n"
        "TEL:030 4\r\nTEL;HOME:030 5\r\n"
        "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Zeile 1=0D=0AZeile=\r\n 2 =E4\r\n"
        "END:VCARD\r\n";
    // As mail programs write 3.0: type lists, folded lines, two categories, two addresses.
    const QByteArray v30 =
        "BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;Q;Dr.;\nFN:Dr. John Q Doe\n"
        "ORG:Acme\\, Inc.;Research\nTITLE:Chief\nitem1.EMAIL;TYPE=INTERNET:j@x.org\n"
        "EMAIL:second@x.org\nADR;TYPE=WORK,PREF:12;;1 Main St;Town;CA;90210;USA\n"
        "ADR;TYPE=HOME:;;2 Side \n St;;;;\nCATEGORIES:Friends,Golf\nURL:http://x.org\n"
        "TEL;TYPE=CELL,VOICE:555 1\nEND:VCARD\n";
    // As online address books write 4.0: tel URIs, GENDER.
    const QByteArray v40 = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ämy\r\nTEL;VALUE=uri;TYPE=\"work,"
                           "voice\":tel:+1-555-0100\r\n"
                           "GENDER:F\r\nEND:VCARD\r\n";
    ContactImport import(book);
    QVERIFY2(importBytes(v21 + v30 + v40, false, import), qPrintable(import.errorText()));
    QCOMPARE(import.summary(), QStringLiteral("Imported 3 names and 7 numbers"));

    const QString joerg = QStringLiteral("Müller, Jörg");
    QCOMPARE(card(book, joerg, "FullName"), QStringLiteral("Jörg Müller"));
    QCOMPARE(numbers(book, joerg), QStringList({"Mobile:+49 170 1", "Phone:030 2", "Fax:030 3",
                                                "Phone:030 4", "Home:030 5"}));
    QCOMPARE(card(book, joerg, "Notes"), QStringLiteral("Zeile 1\r\nZeile 2 ä"));

    const QString john = QStringLiteral("Doe, John");
    QCOMPARE(card(book, john, "FullName"), QStringLiteral("Dr. John Q Doe"));
    QCOMPARE(card(book, john, "Company"), QStringLiteral("Acme, Inc."));
    QCOMPARE(card(book, john, "Department"), QStringLiteral("Research"));
    QCOMPARE(card(book, john, "JobTitle"), QStringLiteral("Chief"));
    QCOMPARE(card(book, john, "AddressBusiness"), QStringLiteral("1 Main St\nTown"));
    QCOMPARE(card(book, john, "AddressHome"), QStringLiteral("2 Side St"));
    QCOMPARE(card(book, john, "POBOX") + card(book, john, "State") + card(book, john, "ZipCode") +
                 card(book, john, "Country"),
             QStringLiteral("12CA90210USA"));
    QCOMPARE(card(book, john, "Email"), QStringLiteral("j@x.org"));
    QCOMPARE(card(book, john, "Notes"), QStringLiteral("E-mail: second@x.org\nAlso in: Golf"));
    QCOMPARE(card(book, john, "HomePage"), QStringLiteral("http://x.org"));
    QCOMPARE(book.groups().size(), 1);
    QCOMPARE(book.groups().value(0).text, QStringLiteral("Friends"));
    QCOMPARE(book.topLevelNamesInGroup(book.groups().value(0).id).value(0).text, john);
    QCOMPARE(numbers(book, QStringLiteral("Ämy")),
             QStringList{QStringLiteral("Phone:+1-555-0100")});
    QCOMPARE(card(book, QStringLiteral("Ämy"), "Gender"), QStringLiteral("F"));
}

void TstContacts::readsCsvExports()
{
    TestHome home;
    PhoneBook book;
    book.open(home.file(QStringLiteral("data.mdb")));
    const QByteArray outlook =
        "\xEF\xBB\xBF\"First Name\",\"Last Name\",\"Company\",\"Business Phone\",\"Mobile Phone\","
        "\"Business Fax\",\"Home Phone\",\"E-mail Address\",\"Notes\",\"Categories\",\"Shoe "
        "size\"\r\n"
        "Anna,Berg,\"Berg, \"\"Söhne\"\"\",030 1,0170 2,030 3,030 4,a@b.de,\"two\r\nlines\","
        "Kunden;VIP,44\r\n";
    ContactImport import(book);
    QVERIFY2(importBytes(outlook, true, import), qPrintable(import.errorText()));
    QCOMPARE(import.summary(), QStringLiteral("Imported 1 names and 4 numbers"));
    const QString anna = QStringLiteral("Berg, Anna");
    QCOMPARE(card(book, anna, "Company"), QStringLiteral("Berg, \"Söhne\""));
    QCOMPARE(card(book, anna, "FullName"), QStringLiteral("Anna Berg"));
    QCOMPARE(card(book, anna, "Notes"),
             QStringLiteral("two\r\nlines\nAlso in: VIP\nShoe size: 44"));
    QCOMPARE(numbers(book, anna),
             QStringList({"Phone:030 1", "Mobile:0170 2", "Fax:030 3", "Home:030 4"}));
    // A semicolon-separated sheet with a column mapped by hand.
    ContactImport mapped(book);
    QBuffer buffer;
    buffer.setData("Name;Handy;Firma\nCarl;0171 9;Acme\n");
    buffer.open(QIODevice::ReadOnly);
    QVERIFY(mapped.importCsv(
        buffer, [](const QStringList& headers, QList<ContactMapping::Target> targets) {
            targets[headers.indexOf(QStringLiteral("Handy"))].kind = NumberKind::Mobile;
            return targets;
        }));
    QCOMPARE(numbers(book, QStringLiteral("Carl")), QStringList{QStringLiteral("Mobile:0171 9")});
    QCOMPARE(card(book, QStringLiteral("Carl"), "Notes"), QStringLiteral("Firma: Acme"));
}

void TstContacts::damagedFilesImportNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("message");
    const QByteArray good = "BEGIN:VCARD\nVERSION:3.0\nFN:Good\nTEL:1\nEND:VCARD\n";
    QTest::newRow("truncated") << QByteArray(good + "BEGIN:VCARD\nVERSION:3.0\nFN:Cut") << false
                               << "Card 2 (line 8): the file ends inside the card";
    QTest::newRow("broken folding") << QByteArray(" folded\n" + good) << false
                                    << "Line 1: the line is folded but continues no line";
    QTest::newRow("invalid UTF-8") << QByteArray(good + "BEGIN:VCARD\nFN:\xC3\x28\nEND:VCARD\n")
                                   << false << "Card 2 (line 7): the text is not valid UTF-8";
    QTest::newRow("NUL byte") << QByteArray(good +
                                            QByteArray("BEGIN:VCARD\nFN:a\0b\nEND:VCARD\n", 29))
                              << false << "Card 2 (line 7): the line holds a NUL byte";
    QTest::newRow("NUL in quoted-printable")
        << QByteArray("BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:a=00\nEND:VCARD\n") << false
        << "NUL byte";
    QTest::newRow("unknown charset") << QByteArray("BEGIN:VCARD\nFN;CHARSET=X-NONE:a\nEND:VCARD\n")
                                     << false << "the character set X-NONE is not known";
    QTest::newRow("unknown version")
        << QByteArray("BEGIN:VCARD\nVERSION:9.9\nEND:VCARD\n") << false << "vCard version 9.9";
    QTest::newRow("100,000 TEL lines")
        << QByteArray("BEGIN:VCARD\nFN:Many\n" + QByteArray("TEL:123\n").repeated(100000) +
                      "END:VCARD\n")
        << false << "Card 1 (line 2002): the card has more than 2000 lines";
    QTest::newRow("endless folding")
        << QByteArray("BEGIN:VCARD\nNOTE:x\n" + QByteArray(" yyyyyyyyyyyyyyy\n").repeated(7000000))
        << false << "the file is larger than 100 MB";
    QTest::newRow("long line") << QByteArray("BEGIN:VCARD\nNOTE:" + QByteArray(2 << 20, 'x') +
                                             "\nEND:VCARD\n")
                               << false << "Card 1 (line 2): the line is longer than";
    QTest::newRow("CSV unclosed quote") << QByteArray("Name,Phone\nA,1\n\"B,2\nC,3\n") << true
                                        << "Line 3: a quoted field is not closed";
    QTest::newRow("CSV 10,000 columns")
        << QByteArray("Name" + QByteArray(",x").repeated(10000) + "\n") << true
        << "Line 1: the record has more than 500 columns";
    QTest::newRow("CSV invalid UTF-8")
        << QByteArray("Name\nA\n\xFF\n") << true << "Line 3: the text is not valid UTF-8";
}

void TstContacts::damagedFilesImportNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, csv);
    QFETCH(QString, message);
    TestHome home;
    PhoneBook book;
    book.open(home.file(QStringLiteral("data.mdb")));
    ContactImport import(book);
    QVERIFY(!importBytes(bytes, csv, import));
    QVERIFY2(import.errorText().contains(message), qPrintable(import.errorText()));
    QCOMPARE(count(book, "names"), 0);
    QCOMPARE(count(book, "numbers"), 0);
    QCOMPARE(import.names(), 0);
    QVERIFY(book.addNumber(QStringLiteral("+49 30 1234"),
                           book.addName(QStringLiteral("After"), 0, 0),
                           QStringLiteral("Business")) > 0);
    QVERIFY(searchIndexSound(book));
}

void TstContacts::skipsPicturesAndExportsGroupsAndNames()
{
    TestHome home;
    PhoneBook book;
    book.open(home.file(QStringLiteral("data.mdb")));
    // A 50 MB picture is read past, not held.
    const QByteArray photo =
        "BEGIN:VCARD\nVERSION:3.0\nFN:Pic\nPHOTO;ENCODING=b:" + QByteArray(50 << 20, 'A') +
        "\nTEL:7\nEND:VCARD\n";
    ContactImport import(book);
    QVERIFY2(importBytes(photo, false, import), qPrintable(import.errorText()));
    QCOMPARE(numbers(book, QStringLiteral("Pic")), QStringList{QStringLiteral("Phone:7")});

    fillRichBook(book);
    ContactExport exporter(book);
    QBuffer group;
    group.open(QIODevice::WriteOnly);
    const qint64 work = book.groups().value(1).id;
    QVERIFY(exporter.exportGroup(work, group, ContactExport::Format::VCard4));
    // The group's name, its sub-name and the sub-name's own sub-name.
    QCOMPARE(exporter.summary(), QStringLiteral("Exported 3 names and 12 numbers"));
    QCOMPARE(group.data().count("RELATED;TYPE=x-telvora-parent:urn:uuid:"), 2);
    QBuffer chosen;
    chosen.open(QIODevice::WriteOnly);
    QVERIFY(exporter.exportNames({book.topLevelNames().value(0).id}, chosen,
                                 ContactExport::Format::Csv));
    QCOMPARE(exporter.names(), 1);
}

// A group another program numbered 0 (the number of no group) can hold no names: a card of
// that group's name goes into a group of its own, and the import goes on.
void TstContacts::namesGoToAGroupTheyCanBeFoundIn()
{
    TestHome home;
    PhoneBook book;
    book.open(home.file(QStringLiteral("data.mdb")));
    QVERIFY(QSqlQuery(book.database())
                .exec(QStringLiteral("INSERT INTO groups (id, name) VALUES (0, 'Friends')")));
    ContactImport import(book);
    QVERIFY2(importBytes("BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nCATEGORIES:Friends\nTEL:7\nEND:VCARD\n",
                         false, import),
             qPrintable(import.errorText()));
    QSqlQuery query(book.database());
    query.exec(QStringLiteral("SELECT g.id FROM names n JOIN groups g ON g.id = n.\"group\""
                              " WHERE n.name = 'Ann' AND g.name = 'Friends'"));
    QVERIFY(query.next());
    QVERIFY(query.value(0).toLongLong() > 0);
}

QTEST_GUILESS_MAIN(TstContacts)
#include "tst_contacts.moc"
