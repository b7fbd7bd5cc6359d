#include "links/HelpWindow.h"
#include "links/LinkCommands.h"
#include "links/OpenInBrowser.h"
#include "mainwindow/DialForm.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace telvora;
using namespace telvora::test;

namespace {

// Answers as a desktop would and remembers every address it was asked about.
class RecordingUrlHandler final : public UrlHandler
{
public:
    bool hasHandler(const QUrl& url) override
    {
        looked << url;
        return known;
    }
    bool open(const QUrl& url) override
    {
        opened << url;
        return starts;
    }

    bool known = true;
    bool starts = true;
    QList<QUrl> looked;
    QList<QUrl> opened;
};

struct Window
{
    TestHome home;
    ScriptedPrompt prompt;
    LineService lines;
    std::unique_ptr<DialForm> form;
    RecordingUrlHandler* handler = nullptr;

    Window()
    {
        SampleBook book;
        book.seed();
        form = std::make_unique<DialForm>(prompt, lines);
        form->Form_Load();
        auto recording = std::make_unique<RecordingUrlHandler>();
        handler = recording.get();
        form->links().setUrlHandler(std::move(recording));
    }
    void setCard(int index, const QString& text)
    {
        qobject_cast<QLineEdit*>(form->controls().Text1.value(index))->setText(text);
    }
};

} // namespace

class LinksTest : public QObject
{
    Q_OBJECT

private slots:
    void theWebButtonOpensTheHomePageAsTyped()
    {
        Window w;
        w.setCard(13, QStringLiteral("https://example.org/a b?q=1&r=ü#top"));
        w.form->controls().GOWWW->click();
        QCOMPARE(w.handler->opened.size(), 1);
        QCOMPARE(w.handler->opened[0].scheme(), QStringLiteral("https"));
        QCOMPARE(w.handler->opened[0].toString(),
                 QStringLiteral("https://example.org/a b?q=1&r=ü#top"));
        QVERIFY(w.prompt.asked.isEmpty());
    }

    // The desktop picks the program by the scheme, so a bare host is taken as a web page.
    void anAddressWithoutSchemeIsAWebPage()
    {
        QCOMPARE(addressUrl(QStringLiteral("www.example.org")),
                 QUrl(QStringLiteral("http://www.example.org")));
        QCOMPARE(addressUrl(QStringLiteral("localhost:8080/x")),
                 QUrl(QStringLiteral("http://localhost:8080/x")));
        QCOMPARE(addressUrl(QStringLiteral("ftp://host/file")).scheme(), QStringLiteral("ftp"));
    }

    void anEmptyHomePageDoesNothing()
    {
        Window w;
        w.setCard(13, QString());
        w.form->controls().GOWWW->click();
        QVERIFY(w.handler->looked.isEmpty());
        QVERIFY(w.handler->opened.isEmpty());
        QVERIFY(w.prompt.asked.isEmpty());
    }

    void theMailButtonStartsAMailAlsoWithoutAnAddress()
    {
        Window w;
        w.setCard(12, QStringLiteral("alice@example.org"));
        w.form->controls().GoMail->click();
        w.setCard(12, QString());
        w.form->controls().GoMail->click();
        QCOMPARE(w.handler->opened.size(), 2);
        QCOMPARE(w.handler->opened[0].toString(), QStringLiteral("mailto:alice@example.org"));
        QCOMPARE(w.handler->opened[1].scheme(), QStringLiteral("mailto"));
        QCOMPARE(w.handler->opened[1].path(), QString());
    }

    void noProgramForTheAddressIsTold()
    {
        Window w;
        w.handler->known = false;
        w.setCard(13, QStringLiteral("https://example.org"));
        w.form->controls().GOWWW->click();
        QVERIFY(w.handler->opened.isEmpty());
        QCOMPARE(w.prompt.asked.size(), 1);
        const auto& message = w.prompt.asked[0];
        QCOMPARE(message.text, QStringLiteral("Could not find associated Browser"));
        QCOMPARE(message.title, QStringLiteral("Browser Not Found"));
        QCOMPARE(message.icon, Prompt::Icon::Warning);
        QCOMPARE(message.buttons, Prompt::Buttons::Ok);
    }

    void aProgramThatCannotStartIsTold()
    {
        Window w;
        w.handler->starts = false;
        w.setCard(12, QStringLiteral("bob@example.org"));
        w.form->controls().GoMail->click();
        QCOMPARE(w.handler->opened.size(), 1);
        QCOMPARE(w.prompt.asked.size(), 1);
        const auto& message = w.prompt.asked[0];
        QCOMPARE(message.text, QStringLiteral("Web Page not Opened"));
        QCOMPARE(message.title, QStringLiteral("URL Failed"));
        QCOMPARE(message.icon, Prompt::Icon::Warning);
    }

    // A card's field may hold anything; only a web page or a mail reaches the desktop.
    void onlyWebPagesAndMailReachTheDesktop()
    {
        Window w;
        const QStringList refused = {"file:///etc/passwd",
                                     "javascript:alert(1)",
                                     "data:text/html,<b>x</b>",
                                     "ftp://host/file",
                                     "/usr/bin/xterm",
                                     "~/bin/run",
                                     "evil.desktop",
                                     "--help",
                                     "https://example.org/\nX-Header: 1",
                                     "https://example.org/\u202Efdp.exe",
                                     "http:foo",
                                     "mailto:a@b.org?attach=/etc/passwd"};
        for (const QString& text : refused) {
            w.setCard(13, text);
            w.form->controls().GOWWW->click();
        }
        for (const QString text : {"a@b.org?Attachment=/etc/passwd", "a@b.org\r\nbcc: x"}) {
            w.setCard(12, text);
            w.form->controls().GoMail->click();
        }
        QVERIFY(w.handler->looked.isEmpty());
        QCOMPARE(w.prompt.asked.size(), refused.size() + 2);
        for (const auto& message : std::as_const(w.prompt.asked)) {
            QCOMPARE(message.title, QStringLiteral("URL Refused"));
            QCOMPARE(message.icon, Prompt::Icon::Warning);
        }

        w.prompt.asked.clear();
        w.setCard(13, QStringLiteral("www.example.org/a"));
        w.form->controls().GOWWW->click();
        w.setCard(12, QStringLiteral("bob@example.org?subject=Hi&cc=eve@example.org"));
        w.form->controls().GoMail->click();
        QCOMPARE(w.handler->opened.size(), 2);
        QCOMPARE(w.handler->opened[0], QUrl(QStringLiteral("http://www.example.org/a")));
        QCOMPARE(w.handler->opened[1].query(), QStringLiteral("subject=Hi&cc=eve@example.org"));
        QVERIFY(w.prompt.asked.isEmpty());
    }

    // A launch once wrote and deleted temphtm.HTM in the working directory, taking a
    // user's file of that name with it.
    void aLaunchLeavesTheDataFolderAlone()
    {
        Window w;
        QFile mine(QStringLiteral("temphtm.HTM"));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("my notes");
        mine.close();
        const QStringList before = QDir().entryList(QDir::Files);
        w.setCard(13, QStringLiteral("https://example.org"));
        w.form->controls().GOWWW->click();
        w.handler->known = false;
        w.form->controls().GOWWW->click();
        QCOMPARE(QDir().entryList(QDir::Files), before);
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("my notes"));
    }

    void helpOpensACompiledHelpFileWithTheDesktop()
    {
        Window w;
        QFile chm(QStringLiteral("help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.close();
        w.form->controls().HelpCmd->click();
        QCOMPARE(w.handler->opened,
                 QList<QUrl>{QUrl::fromLocalFile(QDir::current().filePath("help.chm"))});
        QVERIFY(!w.form->links().helpWindow());
        QVERIFY(w.prompt.asked.isEmpty());
    }

    void helpShowsItsOwnPagesWithoutOne()
    {
        Window w;
        w.form->controls().HelpCmd->click();
        QVERIFY(w.handler->opened.isEmpty());
        HelpWindow* help = w.form->links().helpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source(), HelpWindow::contentsPage());
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Contents")));
        // A compiled help file the desktop cannot open leaves the user with this help too.
        help->hide();
        QFile chm(QStringLiteral("help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.close();
        w.handler->starts = false;
        w.form->controls().HelpCmd->click();
        QCOMPARE(w.form->links().helpWindow(), help);
        QVERIFY(help->isVisible());
    }

    // Every page the contents lead to exists and is written for the user, and together
    // they cover every window, every button and the lines.
    void thePagesCoverTheProgram()
    {
        HelpWindow help;
        QTextBrowser& browser = *help.browser();
        QString all;
        QStringList pages{QStringLiteral("index.html")};
        for (int i = 0; i < pages.size(); ++i) {
            QFile page(QStringLiteral(":/help/") + pages[i]);
            QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(pages[i]));
            const QString html = QString::fromUtf8(page.readAll());
            browser.setHtml(html);
            QVERIFY(browser.toPlainText().size() > 300);
            all += browser.toPlainText();
            static const QRegularExpression link(QStringLiteral("href=\"([a-z]+\\.html)"));
            for (const auto& match : link.globalMatch(html)) {
                if (!pages.contains(match.captured(1)))
                    pages << match.captured(1);
            }
        }
        QCOMPARE(pages.size(), 8);
        for (const char* topic : {"Search",
                                  "Setup",
                                  "About",
                                  "Exit",
                                  "Help",
                                  "Hang UP",
                                  "Dial",
                                  "Clear",
                                  "Add SUB Name",
                                  "Move to Group",
                                  "Paste",
                                  "Speed Dials List",
                                  "Lines...",
                                  "Telephone Lines",
                                  "SIP",
                                  "server",
                                  "user",
                                  "password",
                                  "transport",
                                  "serial port",
                                  "ModemManager",
                                  "busy",
                                  "unanswered",
                                  "declined",
                                  "invalid number",
                                  "Retry Times",
                                  "Alt+X",
                                  "Alt+H",
                                  "Esc",
                                  "Could not find associated Browser",
                                  "Web Page not Opened",
                                  "notification area"})
            QVERIFY2(all.contains(QLatin1String(topic)), topic);
    }
};

QTEST_MAIN(LinksTest)
#include "tst_links.moc"
