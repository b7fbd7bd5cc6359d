#include "settings/IniStore.h"
#include "settings/Registry.h"
#include "settings/StoredSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

namespace {
const QString kKey = QStringLiteral("HKEY_CURRENT_CONFIG\\System\\Test");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class RegistryTest : public QObject
{
    Q_OBJECT

private slots:
    void rootNames()
    {
        QCOMPARE(Registry::RootKeyFromName(QStringLiteral("HKEY_CLASSES_ROOT")), 0x80000000u);
        QCOMPARE(Registry::RootKeyFromName(QStringLiteral("HKEY_CURRENT_CONFIG")), 0x80000005u);
        QCOMPARE(Registry::RootKeyFromName(QStringLiteral("HKEY_DYN_DATA")), 0x80000006u);
        QCOMPARE(Registry::RootKeyFromName(QStringLiteral("hkey_current_user")), Registry::NoRoot);
        QCOMPARE(Registry::RootKeyFromName(QStringLiteral("HKEY_Current_User")), Registry::NoRoot);
    }

    void missingValuesAndKeys()
    {
        TestHome home;
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        QCOMPARE(Registry::defaultPath(), home.file(QStringLiteral("registry.ini")));
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("nothing")),
                 QStringLiteral("Error"));
        QCOMPARE(registry.LastRegistryResult(), Registry::kFileNotFound);
        QCOMPARE(Registry::CleanRegistryText(QStringLiteral("Error")), QString());
        // A write to a missing key changes nothing; after creating the key it goes in.
        registry.WriteRegistryString(kKey, QStringLiteral("v"), QStringLiteral("1"));
        QVERIFY(!QFile::exists(home.file(QStringLiteral("registry.ini"))));
        registry.CreateRegistryKey(kKey);
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("v")), QStringLiteral("Error"));
        registry.WriteRegistryString(kKey, QStringLiteral("v"), QStringLiteral("1"));
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("v")), QStringLiteral("1"));
        QCOMPARE(registry.LastRegistryResult(), Registry::kSuccess);
        QVERIFY(prompt.asked.isEmpty());
        // The file holds settings of the user's alone.
        const auto permissions = QFile::permissions(home.file(QStringLiteral("registry.ini")));
        QVERIFY(permissions.testFlags(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(!(permissions &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));
    }

    void blanksLengthAndCleaning()
    {
        TestHome home;
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        registry.CreateRegistryKey(kKey);
        const auto roundTrip = [&](const QString& text) {
            registry.WriteRegistryString(kKey, QStringLiteral("v"), text);
            return registry.ReadRegistryString(kKey, QStringLiteral("v"));
        };
        QCOMPARE(roundTrip(QStringLiteral("  12")), QStringLiteral("12"));
        QCOMPARE(roundTrip(QStringLiteral("12  ")), QStringLiteral("12  "));
        QCOMPARE(roundTrip(QStringLiteral("   ")), QString());
        QCOMPARE(roundTrip(QString(254, QLatin1Char('7'))), QString(254, QLatin1Char('7')));
        QCOMPARE(roundTrip(QString(255, QLatin1Char('7'))), QStringLiteral("Error"));
        QCOMPARE(registry.LastRegistryResult(), Registry::kMoreData);
        QCOMPARE(Registry::CleanRegistryText(roundTrip(QStringLiteral("eRRoR"))), QString());
        QCOMPARE(
            Registry::CleanRegistryText(QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd")),
            QStringLiteral("ab"));
    }

    void pathsThatFailTheCheck_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("lower-case root") << QStringLiteral("hkey_current_config\\System");
        QTest::newRow("trailing backslash") << QStringLiteral("HKEY_CURRENT_CONFIG\\System\\");
        QTest::newRow("no root at all") << QStringLiteral("Software\\Telvora");
        QTest::newRow("empty") << QString();
    }

    void pathsThatFailTheCheck()
    {
        QFETCH(QString, path);
        TestHome home;
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        QCOMPARE(registry.ReadRegistryString(path, QStringLiteral("v")), QString());
        QCOMPARE(prompt.messages().size(), 1);
        QCOMPARE(prompt.messages()[0].text, QStringLiteral("Incorrect Format:\n\n") + path);
        registry.CreateRegistryKey(path);
        registry.WriteRegistryString(path, QStringLiteral("v"), QStringLiteral("x"));
        QCOMPARE(prompt.messages().size(), 3);
        QVERIFY(!QFile::exists(home.file(QStringLiteral("registry.ini"))));
    }

    void unknownRootsAndRootKeys()
    {
        TestHome home;
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        const QString mixed = QStringLiteral("HKEY_Current_User\\Software");
        registry.CreateRegistryKey(mixed);
        registry.WriteRegistryString(mixed, QStringLiteral("v"), QStringLiteral("x"));
        QCOMPARE(registry.ReadRegistryString(mixed, QStringLiteral("v")), QString());
        QVERIFY(prompt.asked.isEmpty());
        QVERIFY(!QFile::exists(home.file(QStringLiteral("registry.ini"))));

        // A root key exists without being created.
        const QString root = QStringLiteral("HKEY_CURRENT_USER");
        registry.WriteRegistryString(root, QStringLiteral("top"), QStringLiteral("level"));
        QCOMPARE(registry.ReadRegistryString(root, QStringLiteral("top")), QStringLiteral("level"));
    }

    void anyTextSurvives()
    {
        TestHome home;
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        const QString key = QStringLiteral("HKEY_CURRENT_USER\\We=ird;[key] #1 % ünï");
        const QString name = QStringLiteral("na=me;[x]#%\n");
        const QString value = QStringLiteral("a=b; [c] #d %e\r\nline two\tτέλος 📞 \\ end ");
        registry.CreateRegistryKey(key);
        registry.WriteRegistryString(key, name, value);
        registry.WriteRegistryString(key, QStringLiteral("other"), QStringLiteral("kept"));
        QCOMPARE(registry.ReadRegistryString(key, name), value);
        QCOMPARE(registry.ReadRegistryString(key, QStringLiteral("other")), QStringLiteral("kept"));
        QCOMPARE(IniStore::unescape(IniStore::escape(value)), value);
        // Every value sits on one line of its own.
        QCOMPARE(fileBytes(registry.store().path()).count('\n'), 4);
    }

    void damagedFileKeepsWhatItCan()
    {
        TestHome home;
        const QString path = home.file(QStringLiteral("registry.ini"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                "garbage before any section\n[HKEY_CURRENT_CONFIG\\System\\Test]\n"
                "no equals sign here\nretry=3\n=no name\n[broken section\n\xff\xfe\x00\x01\n");
        }
        ScriptedPrompt prompt;
        Registry registry(path, prompt);
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("retry")), QStringLiteral("3"));
        registry.WriteRegistryString(kKey, QStringLiteral("pause"), QStringLiteral("5"));
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("retry")), QStringLiteral("3"));
        QCOMPARE(registry.ReadRegistryString(kKey, QStringLiteral("pause")), QStringLiteral("5"));
    }

    void plainSectionsWrittenOldOnesStillRead()
    {
        TestHome home;
        const QString path = home.file(QStringLiteral("registry.ini"));
        const QString settingsKey = StoredSettings::keyPath();
        const auto writeFile = [&](const QByteArray& bytes) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        };
        ScriptedPrompt prompt;
        Registry registry(path, prompt);

        // A file from before keeps its settings, and the first write moves them to the
        // plain section without losing the others.
        writeFile("[HKEY_CURRENT_CONFIG\\System\\CurrentControlSet\\Control\\Telvora]\n"
                  "prefix_text=9\nretry_times_text=4\n");
        StoredSettings settings;
        ReadFromRegistry(registry, settings);
        QCOMPARE(settings.prefix, QStringLiteral("9"));
        QCOMPARE(settings.retryCount, 4);
        registry.WriteRegistryString(settingsKey, StoredSettings::kPrefix, QStringLiteral("0"));
        QCOMPARE(registry.LastRegistryResult(), Registry::kSuccess);
        QCOMPARE(fileBytes(path), QByteArray("[settings]\nprefix_text=0\nretry_times_text=4\n\n"));

        // With both, the plain section is the one that counts.
        writeFile("[HKEY_CURRENT_CONFIG\\System\\CurrentControlSet\\Control\\Telvora]\n"
                  "prefix_text=old\n[settings]\nprefix_text=new\n");
        QCOMPARE(registry.ReadRegistryString(settingsKey, StoredSettings::kPrefix),
                 QStringLiteral("new"));

        // Other keys read as paths; names that hold "/" or "%" stay apart.
        writeFile("");
        const QString slash = QStringLiteral("HKEY_CURRENT_USER\\Soft/Key");
        const QString nested = QStringLiteral("HKEY_CURRENT_USER\\Soft\\Key");
        for (const QString& key : {slash, nested})
            registry.CreateRegistryKey(key);
        registry.WriteRegistryString(slash, QStringLiteral("v"), QStringLiteral("1"));
        registry.WriteRegistryString(nested, QStringLiteral("v"), QStringLiteral("2"));
        QCOMPARE(registry.ReadRegistryString(slash, QStringLiteral("v")), QStringLiteral("1"));
        QCOMPARE(registry.ReadRegistryString(nested, QStringLiteral("v")), QStringLiteral("2"));
        const QByteArray bytes = fileBytes(path);
        QVERIFY2(bytes.contains("[current-user/Soft%252FKey]\nv=1\n"), bytes.constData());
        QVERIFY2(bytes.contains("[current-user/Soft/Key]\nv=2\n"), bytes.constData());
        QVERIFY(!bytes.contains("HKEY"));
        QVERIFY(prompt.asked.isEmpty());
    }

    void unwritableFileIsAFailure()
    {
        TestHome home;
        // A folder where the file should be cannot be replaced by a file, even by root.
        QVERIFY(QDir().mkpath(home.file(QStringLiteral("registry.ini"))));
        ScriptedPrompt prompt;
        Registry registry(Registry::defaultPath(), prompt);
        registry.CreateRegistryKey(kKey);
        QCOMPARE(registry.LastRegistryResult(), Registry::kAccessDenied);
    }

    void killedWriterLeavesAWholeFile()
    {
        TestHome home;
        const QString path = home.file(QStringLiteral("soak.ini"));
        for (int round = 0; round < 8; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(REGISTRY_WRITER), {path});
            QVERIFY(writer.waitForStarted());
            QTest::qWait(int(QRandomGenerator::global()->bounded(20, 120)));
            writer.kill();
            writer.waitForFinished();
            const QList<QByteArray> lines = writer.readAllStandardOutput().split('\n');
            int last = -1;
            for (const QByteArray& line : lines) {
                if (!line.isEmpty())
                    last = line.toInt();
            }
            IniStore store(path);
            const auto value =
                store.value(QStringLiteral("HKEY_CURRENT_USER\\Soak"), QStringLiteral("round"));
            if (last < 0 && !value)
                continue;
            QVERIFY(value);
            const int written = value->section(QLatin1Char(':'), 0, 0).toInt();
            QVERIFY2(written >= last, qPrintable(QStringLiteral("%1 < %2").arg(written).arg(last)));
            QCOMPARE(value->size(), QString::number(written).size() + 1 + 2000);
        }
    }

    void storedSettingsConversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -99999 for no number
        QTest::newRow("plain") << QStringLiteral("5") << 5;
        QTest::newRow("blanks") << QStringLiteral(" 12 ") << 12;
        QTest::newRow("rounds up") << QStringLiteral("2.6") << 3;
        QTest::newRow("half to even down") << QStringLiteral("2.5") << 2;
        QTest::newRow("half to even up") << QStringLiteral("3.5") << 4;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
        QTest::newRow("largest") << QStringLiteral("32767") << 32767;
        QTest::newRow("too large") << QStringLiteral("70000") << -99999;
        QTest::newRow("letters") << QStringLiteral("three") << -99999;
        QTest::newRow("empty") << QString() << -99999;
        QTest::newRow("infinite") << QStringLiteral("inf") << -99999;
    }

    void storedSettingsConversions()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto value = StoredSettings::toInteger(text);
        QCOMPARE(value ? int(*value) : -99999, expected);
    }
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "tst_registry.moc"
