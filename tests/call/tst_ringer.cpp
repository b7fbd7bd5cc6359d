// The ringer on a private PulseAudio server with null sinks for outputs: the ring must reach
// the output the user chose, fall back to the default one, and find an output plugged in
// while the program runs.
#include "call/AlertSound.h"
#include "support/TestHome.h"

#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace telvora;

namespace {

// A sound server of the test's own, reached through PULSE_SERVER before Qt asks for one.
class SoundServer
{
public:
    SoundServer()
    {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), m_dir.path());
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        m_server.setProcessEnvironment(m_env);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                        QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--load=module-null-sink sink_name=speakers "
                                       "sink_properties=device.description=Speakers"),
                        QStringLiteral("--load=module-null-sink sink_name=headset "
                                       "sink_properties=device.description=Headset"),
                        QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 "
                                       "socket=") +
                            socket});
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        m_env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
        for (int i = 0; i < 100 && !sinks().contains(QStringLiteral("headset")); ++i)
            QTest::qWait(50);
        pactl({QStringLiteral("set-default-sink"), QStringLiteral("speakers")});
    }
    ~SoundServer()
    {
        m_server.terminate();
        m_server.waitForFinished(3000);
    }

    QString pactl(const QStringList& arguments)
    {
        QProcess run;
        run.setProcessEnvironment(m_env);
        run.start(QStringLiteral("pactl"), arguments);
        run.waitForFinished(5000);
        return QString::fromLocal8Bit(run.readAllStandardOutput());
    }
    QString sinks()
    {
        return pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
    }
    // The names of the sinks a stream plays on now.
    QStringList playingOn()
    {
        QHash<QString, QString> names;
        for (const QString& line : sinks().split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList columns = line.split(u'\t');
            names.insert(columns.value(0), columns.value(1));
        }
        QStringList found;
        const QString inputs =
            pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
        for (const QString& line : inputs.split(u'\n', Qt::SkipEmptyParts))
            found << names.value(line.split(u'\t').value(1));
        return found;
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    QProcess m_server;
};

} // namespace

class RingerTest : public QObject
{
    Q_OBJECT

private slots:
    void ringsOnTheChosenOutputOrTheDefault()
    {
        test::TestHome home;
        SoundServer server;
        QTRY_VERIFY_WITH_TIMEOUT(QMediaDevices::audioOutputs().size() >= 2, 5000);

        AlertSound ringer;
        // As the SIP stack names the device.
        ringer.setOutput(QStringLiteral("PulseAudio: Headset"));
        ringer.ring();
        QTRY_COMPARE_WITH_TIMEOUT(server.playingOn(), QStringList{"headset"}, 5000);
        ringer.stop();
        QTRY_VERIFY_WITH_TIMEOUT(server.playingOn().isEmpty(), 5000);

        // A headset that is not plugged in: the default output rings.
        ringer.setOutput(QStringLiteral("PulseAudio: Garage"));
        ringer.ring();
        QTRY_COMPARE_WITH_TIMEOUT(server.playingOn(), QStringList{"speakers"}, 5000);
        ringer.stop();
        QTRY_VERIFY_WITH_TIMEOUT(server.playingOn().isEmpty(), 5000);

        // Plugged in now, while the program runs.
        server.pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                      QStringLiteral("sink_name=garage"),
                      QStringLiteral("sink_properties=device.description=Garage")});
        QTRY_VERIFY_WITH_TIMEOUT(QMediaDevices::audioOutputs().size() >= 3, 5000);
        ringer.ring();
        QTRY_COMPARE_WITH_TIMEOUT(server.playingOn(), QStringList{"garage"}, 5000);
        ringer.stop();
    }
};

QTEST_MAIN(RingerTest)
#include "tst_ringer.moc"
