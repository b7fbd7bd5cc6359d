// The program as a desktop installs it: installed into a temporary prefix, named the
// handler of tel: links with the desktop's own tools, and reached by xdg-open while a
// window runs on a real SIP line beside the test peers. The window runs in this process,
// wired as the program wires it, so the test can press Enter in it.
#include "app/SingleInstance.h"
#include "dialing/DialRun.h"
#include "mainwindow/DialForm.h"
#include "settings/SetupForm.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/SipPeers.h"
#include "support/TestHome.h"
#include "telephony/LineCall.h"
#include "telephony/LineService.h"
#include "telephony/sip/SipProvider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace telvora;
using namespace telvora::test;

class DesktopLinksTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    std::unique_ptr<TestHome> m_home;
    QProcessEnvironment m_desktop;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<LineService> m_lines;
    std::unique_ptr<DialForm> m_form;

    QString prefix() const { return m_root.filePath(QStringLiteral("prefix")); }

    struct Run
    {
        int exitCode = -1;
        QByteArray output;
        QByteArray errors;
    };
    // Runs a command of the desktop, waiting by the event loop so the window here answers.
    Run run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(m_desktop);
        process.setWorkingDirectory(m_root.path());
        process.start(program, arguments);
        QDeadlineTimer deadline(30000);
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(20);
        return {process.state() == QProcess::NotRunning ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QString quickDialText() const { return m_form->controls().DialCombo->currentText(); }
    void hangUpWhenAnswered()
    {
        QSignalSpy ended(&m_form->dialRun(), &DialRun::runEnded);
        QTRY_VERIFY_WITH_TIMEOUT(
            m_form->dialRun().call() && m_form->dialRun().call()->wasAnswered(), 15000);
        m_form->HangCMD_Click();
        QVERIFY(ended.wait(10000));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("TELVORA_PEER_LOGS"), "run me under with-peers");
        for (const char* folder : {"home", "config", "data", "runtime"})
            QVERIFY(QDir(m_root.path()).mkpath(QLatin1String(folder)));
        QFile::setPermissions(m_root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // This process and every program the desktop starts share one home, runtime
        // folder and data folder, and nothing of a real desktop: no desktop environment
        // is named, so xdg-open takes its generic way through mimeapps.list.
        qputenv("HOME", m_root.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_root.filePath(QStringLiteral("runtime")).toUtf8());
        m_home = std::make_unique<TestHome>();
        m_desktop.insert(QStringLiteral("PATH"), prefix() + QStringLiteral("/bin:/usr/bin:/bin"));
        m_desktop.insert(QStringLiteral("HOME"), qEnvironmentVariable("HOME"));
        m_desktop.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                         qEnvironmentVariable("XDG_RUNTIME_DIR"));
        m_desktop.insert(QStringLiteral("TELVORA_HOME"), m_home->path());
        m_desktop.insert(QStringLiteral("XDG_DATA_DIRS"), prefix() + QStringLiteral("/share"));
        m_desktop.insert(QStringLiteral("XDG_DATA_HOME"), m_root.filePath(QStringLiteral("data")));
        m_desktop.insert(QStringLiteral("XDG_CONFIG_HOME"),
                         m_root.filePath(QStringLiteral("config")));
        // xdg-open opens links only where there is a display; the program draws offscreen.
        m_desktop.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("telvora-test"));
        m_desktop.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        const Run install = run(QStringLiteral("cmake"),
                                {QStringLiteral("--install"), QStringLiteral(TELVORA_BUILD_DIR),
                                 QStringLiteral("--prefix"), prefix()});
        QVERIFY2(install.exitCode == 0, install.errors.constData());

        m_lines = std::make_unique<LineService>();
        QVERIFY(addPeerAccount(*m_lines));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_form = std::make_unique<DialForm>(*m_prompt, *m_lines);
        m_instance = std::make_unique<SingleInstance>(SingleInstance::keyFor(m_home->path()));
        QVERIFY(m_instance->claim() && m_instance->problem().isEmpty());
        connect(m_instance.get(), &SingleInstance::linkRequested, m_form.get(),
                &DialForm::showLink);
        m_form->Form_Load();
    }

    void cleanupTestCase()
    {
        if (m_form)
            m_form->ExitCMD_Click();
        m_form.reset();
        m_lines.reset();
    }

    void whatIsInstalledIsValid()
    {
        const QString share = prefix() + QStringLiteral("/share/");
        const Run entry = run(QStringLiteral("desktop-file-validate"),
                              {share + QStringLiteral("applications/telvora.desktop")});
        QVERIFY2(entry.exitCode == 0 && !entry.output.contains("error:"), entry.output.constData());
        const Run metainfo =
            run(QStringLiteral("appstreamcli"),
                {QStringLiteral("validate"), QStringLiteral("--no-net"),
                 share + QStringLiteral("metainfo/org.example.telvora.Telvora.metainfo.xml")});
        QVERIFY2(metainfo.exitCode == 0, metainfo.output.constData());
        for (const char* file : {"bin/telvora", "share/man/man1/telvora.1.gz",
                                 "share/icons/hicolor/48x48/apps/telvora.png",
                                 "share/icons/hicolor/256x256/apps/telvora.png",
                                 "share/icons/hicolor/scalable/apps/telvora.svg",
                                 "share/icons/hicolor/symbolic/apps/telvora-symbolic.svg"})
            QVERIFY2(QFile::exists(prefix() + QLatin1Char('/') + QLatin1String(file)), file);
        QCOMPARE(QImage(share + QStringLiteral("icons/hicolor/48x48/apps/telvora.png")).size(),
                 QSize(48, 48));
    }

    // Named the handler by the desktop's tool, the program opens tel: links; the number
    // waits in the box until Enter.
    void xdgOpenHandsALinkToTheWindow()
    {
        for (const char* scheme : {"tel", "callto", "sip", "sips"}) {
            const QString type = QStringLiteral("x-scheme-handler/") + QLatin1String(scheme);
            QCOMPARE(run(QStringLiteral("xdg-mime"),
                         {QStringLiteral("default"), QStringLiteral("telvora.desktop"), type})
                         .exitCode,
                     0);
            QCOMPARE(run(QStringLiteral("xdg-mime"),
                         {QStringLiteral("query"), QStringLiteral("default"), type})
                         .output.trimmed(),
                     QByteArray("telvora.desktop"));
        }
        const Run open = run(QStringLiteral("xdg-open"), {QStringLiteral("tel:+49-30-1234")});
        QVERIFY2(open.exitCode == 0, open.errors.constData());
        QCOMPARE(quickDialText(), QStringLiteral("+49301234"));
        QTest::qWait(500);
        QCOMPARE(invitesTo(QStringLiteral("+49301234")), 0);
        QTest::keyClick(m_form->controls().DialCombo->lineEdit(), Qt::Key_Return);
        // At least one: on a loaded machine the run may have redialled before this looks.
        QTRY_VERIFY_WITH_TIMEOUT(invitesTo(QStringLiteral("+49301234")) >= 1, 10000);
        hangUpWhenAnswered();
    }

    // With an outside-line prefix set up, --dial dials at once, the prefix before a number.
    void dialDialsAtOnceWithThePrefix()
    {
        m_form->SetupCMD_Click();
        auto* setup = m_form->findChild<SetupForm*>();
        QVERIFY(setup);
        setup->prefix_text->setText(QStringLiteral("0"));
        setup->cboCountry->setCurrentIndex(setup->cboCountry->findData(QStringLiteral("DE")));
        setup->OK_button->click();
        const Run dial = run(prefix() + QStringLiteral("/bin/telvora"),
                             {QStringLiteral("--dial"), QStringLiteral("callto://+49 30 1234")});
        QVERIFY2(dial.exitCode == 0, dial.errors.constData());
        QTRY_COMPARE_WITH_TIMEOUT(invitesTo(QStringLiteral("0+49301234")), 1, 10000);
        hangUpWhenAnswered();
        // A SIP address is called as it is: no prefix goes into an address.
        const Run address =
            run(prefix() + QStringLiteral("/bin/telvora"),
                {QStringLiteral("--dial"), QStringLiteral("sip:bob@127.0.0.1:5070")});
        QVERIFY2(address.exitCode == 0, address.errors.constData());
        QTRY_COMPARE_WITH_TIMEOUT(invitesTo(QStringLiteral("bob")), 1, 10000);
        hangUpWhenAnswered();

        // An account set up for servers that take no +: the number as dialled in Germany.
        auto* sip = dynamic_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        SipAccount account = sip->accounts().first();
        account.nationalNumbers = true;
        QVERIFY(sip->updateAccount(account));
        QCOMPARE(run(prefix() + QStringLiteral("/bin/telvora"),
                     {QStringLiteral("--dial"), QStringLiteral("tel:+49-30-1234")})
                     .exitCode,
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(invitesTo(QStringLiteral("00301234")), 1, 10000);
        hangUpWhenAnswered();
    }

    // A malformed link is refused with status 2 and one line that says why; nothing of it
    // runs, and the window is left as it was.
    void malformedLinksChangeNothing()
    {
        m_form->controls().DialCombo->setEditText(QStringLiteral("123"));
        const QString planted = QStringLiteral("tel:+49;x=$(touch${IFS}pwned)");
        const Run dial =
            run(prefix() + QStringLiteral("/bin/telvora"), {QStringLiteral("--dial"), planted});
        QCOMPARE(dial.exitCode, 2);
        QCOMPARE(dial.errors.count('\n'), 1);
        QVERIFY(dial.errors.startsWith("telvora: "));
        QVERIFY(run(QStringLiteral("xdg-open"), {planted}).exitCode != 0);
        QCOMPARE(
            run(prefix() + QStringLiteral("/bin/telvora"), {QStringLiteral("--dial")}).exitCode, 2);
        QCOMPARE(quickDialText(), QStringLiteral("123"));
        QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("pwned"))));
        QCOMPARE(m_lines->callCount(), 0);
    }
};

QTEST_MAIN(DesktopLinksTest)
#include "tst_desktop_links.moc"
