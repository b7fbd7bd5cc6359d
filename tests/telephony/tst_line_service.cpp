#include "FakeProvider.h"
#include "LineEvents.h"
#include "support/TestHome.h"
#include "telephony/LineCall.h"
#include "telephony/LineIcon.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/sip/SipProvider.h"

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace mTAPIConsts;
using namespace telvora;
using telvora::test::FakeProvider;
using telvora::test::LineEvents;

namespace {

struct ErrorRow
{
    quint32 code;
    const char* text;
};

// Written out here, not taken from the code under test.
const ErrorRow expectedErrorTexts[] = {
    {0x80000001u, "Allocated"},
    {0x80000002u, "Bad Device ID"},
    {0x80000003u, "Bearer Mode Unavail"},
    {0x80000005u, "Call UnAvail"},
    {0x80000006u, "Completion Overrun"},
    {0x80000007u, "Conference Full"},
    {0x80000008u, "Dial Billing"},
    {0x80000009u, "Dial Dialtone"},
    {0x8000000Au, "Dial Prompt"},
    {0x8000000Bu, "Dial Quiet"},
    {0x8000000Cu, "Incompatible API Version"},
    {0x8000000Du, "Incompatible Ext Version"},
    {0x8000000Eu, "Ini File Corrupt"},
    {0x8000000Fu, "In Use"},
    {0x80000010u, "Invalid Address"},
    {0x80000011u, "Invalid Address ID"},
    {0x80000012u, "Invalid Address Mode"},
    {0x80000013u, "Invalid Address State"},
    {0x80000014u, "Invalid App Handle"},
    {0x80000015u, "Invalid App Name"},
    {0x80000016u, "Invalid Bearer Mode"},
    {0x80000017u, "Invalid Call Completion Mode"},
    {0x80000018u, "Invalid Call Handle"},
    {0x80000019u, "Invalid Call Params"},
    {0x8000001Au, "Invalid Call Privilege"},
    {0x8000001Bu, "Invalid Call Select"},
    {0x8000001Cu, "Invalid Call State"},
    {0x8000001Du, "Invalid Call State List"},
    {0x8000001Eu, "Invalid Card"},
    {0x8000001Fu, "Invalid Completion ID"},
    {0x80000020u, "Invalid Conf Call Handle"},
    {0x80000021u, "Invalid Consult Call Handle"},
    {0x80000022u, "Invalid Country Code"},
    {0x80000023u, "Invalid Device Class"},
    {0x80000024u, "Invalid Device Handle"},
    {0x80000026u, "Invalid Digit List"},
    {0x80000027u, "Invalid Digit Mode"},
    {0x80000028u, "Invalid Digits"},
    {0x80000029u, "Invalid Ext Version"},
    {0x8000002Au, "Invalid Group ID"},
    {0x8000002Bu, "Invalid Line Handle"},
    {0x8000002Cu, "Invalid Line State"},
    {0x8000002Du, "Invalid Location"},
    {0x8000002Eu, "Invalid Media List"},
    {0x8000002Fu, "Invalid Media Mode"},
    {0x80000030u, "Invalid Message ID"},
    {0x80000032u, "Invalid Param"},
    {0x80000033u, "Invalid Park ID"},
    {0x80000034u, "Invalid Park Mode"},
    {0x80000035u, "Invalid Pointer"},
    {0x80000036u, "Invalid Priv Select"},
    {0x80000037u, "Invalid Rate"},
    {0x80000038u, "Invalid Request Mode"},
    {0x80000039u, "Invalid Terminal ID"},
    {0x8000003Au, "Invalid Terminal Mode"},
    {0x8000003Bu, "Invalid Time Out"},
    {0x8000003Cu, "Invalid Tone"},
    {0x8000003Du, "Invalid Tone List"},
    {0x8000003Eu, "Invalid Tone Mode"},
    {0x8000003Fu, "Invalid Transfer Mode"},
    {0x80000040u, "Line Mapper Failed"},
    {0x80000041u, "No Conference"},
    {0x80000042u, "No Device"},
    {0x80000043u, "No Driver"},
    {0x80000044u, "No Memory"},
    {0x80000045u, "No Request"},
    {0x80000046u, "Not Owner"},
    {0x80000047u, "Not Registered"},
    {0x80000048u, "Operation Failed"},
    {0x80000049u, "Operation Unavailable"},
    {0x8000004Au, "Rate Unavailable"},
    {0x8000004Bu, "Resource Unavailable"},
    {0x8000004Cu, "Request Overrun"},
    {0x8000004Du, "Structure Too Small"},
    {0x8000004Eu, "Target Not found"},
    {0x8000004Fu, "Target Self"},
    {0x80000050u, "Uninitialized"},
    {0x80000051u, "UserUser Info Too Big"},
    {0x80000052u, "Re-init"},
    {0x80000053u, "Address Blocked"},
    {0x80000054u, "Billing Rejected"},
    {0x80000055u, "Invalid Feature"},
    {0x80000056u, "No Multiple Instance"},
};

} // namespace

class LineServiceTest : public QObject
{
    Q_OBJECT

private:
    telvora::test::TestHome m_home;
    std::unique_ptr<LineService> m_lines;
    FakeProvider* m_fake = nullptr;

    LineService::ListedLine line(int index) { return m_lines->listLines().value(index); }
    // A call on line 0 that the fake took and said it placed.
    std::unique_ptr<LineCall> placedCall(LineEvents& events)
    {
        auto call = m_lines->placeCall(line(0), QStringLiteral("123"));
        events.watch(*call);
        if (!QTest::qWaitFor([&] { return events.contains(QStringLiteral("placed")); }, 2000))
            return nullptr;
        return call;
    }

private slots:
    void init()
    {
        m_lines = std::make_unique<LineService>();
        m_fake =
            static_cast<FakeProvider*>(&m_lines->addProvider(std::make_unique<FakeProvider>()));
        m_fake->setLines({FakeProvider::line(QStringLiteral("a"), QStringLiteral("Line Alpha")),
                          FakeProvider::line(QStringLiteral("b"), QStringLiteral("Line Beta"))});
    }
    void cleanup()
    {
        QCoreApplication::processEvents();
        // Every test lets go of its calls; nothing may be left with the provider.
        QCOMPARE(m_lines->callCount(), 0);
        m_lines.reset();
    }

    void listingGetsProvidersWithLinesReady()
    {
        const auto listed = m_lines->listLines();
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed[1].provider, m_fake);
        QCOMPARE(listed[1].line.caps.lineName, QStringLiteral("Line Beta"));
        QCOMPARE(m_fake->activations, 1);
        QCOMPARE(m_lines->provider(QStringLiteral("fake")), m_fake);
        // The SIP provider is there, registered by itself, and idle without accounts.
        auto* sip = dynamic_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        QVERIFY(sip);
        QVERIFY(!sip->isStarted());
        m_fake->setLines({});
        QVERIFY(m_lines->listLines().isEmpty());
        QCOMPARE(m_fake->activations, 1);
    }

    void signalsNeverArriveInsideTheRequest()
    {
        auto call = m_lines->placeCall(line(1), QStringLiteral("0123 456"));
        LineEvents events(*call);
        // The fake answers from inside placeCall; the call must still hear it later.
        QCOMPARE(events.count(), 0);
        QCOMPARE(call->state(), CallState::Placing);
        QCOMPARE(m_fake->lastLineKey, QStringLiteral("b"));
        QCOMPARE(m_fake->lastNumber, QStringLiteral("0123 456"));
        QCOMPARE(call->lineKind(), QStringLiteral("fake"));
        QTRY_COMPARE(events.list(), QStringList{QStringLiteral("placed")});
        QCOMPARE(call->state(), CallState::Dialing);
        call->hangUp();
    }

    void refusedAtOnceEndsWithoutSignals()
    {
        m_fake->refuseAtOnce = LINEERR_RESOURCEUNAVAIL;
        auto call = m_lines->placeCall(line(0), QStringLiteral("1"));
        LineEvents events(*call);
        QVERIFY(call->isEnded());
        QCOMPARE(call->error(), LineError::ResourceUnavailable);
        QCOMPARE(lineErrorText(call->error()), QStringLiteral("Resource Unavailable"));
        call->hangUp();
        QTest::qWait(20);
        QCOMPARE(events.count(), 0);
        QVERIFY(m_fake->drops.isEmpty());
        // A provider that refuses without a code still refused.
        m_fake->refuseAtOnce = 1;
        QCOMPARE(m_lines->placeCall(line(0), QStringLiteral("1"))->error(),
                 LineError::OperationFailed);
    }

    void refusedLaterSaysWhyAndReleases()
    {
        m_fake->replyInsidePlaceCall = LINEERR_INVALADDRESS;
        auto call = m_lines->placeCall(line(0), QStringLiteral("1"));
        LineEvents events(*call);
        QTRY_COMPARE(events.list(), QStringList{QStringLiteral("refused")});
        QCOMPARE(call->error(), LineError::InvalidAddress);
        QVERIFY(call->isEnded());
        QCOMPARE(m_fake->released, QList<quint64>{call->id()});
    }

    void progressAndEnds_data()
    {
        QTest::addColumn<QList<quint32>>("states");
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<CallEnd>("end");
        const QString placed = QStringLiteral("placed");
        const QString ended = QStringLiteral("ended");
        QTest::newRow("busy") << QList<quint32>{LINECALLSTATE_PROCEEDING, LINECALLSTATE_BUSY,
                                                LINECALLSTATE_DISCONNECTED}
                              << LINEDISCONNECTMODE_BUSY << QStringList{placed, ended}
                              << CallEnd::Busy;
        QTest::newRow("rings, answered, far end hangs up")
            << QList<quint32>{LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED,
                              LINECALLSTATE_DISCONNECTED}
            << LINEDISCONNECTMODE_NORMAL
            << QStringList{placed, QStringLiteral("ringing"), QStringLiteral("connected"), ended}
            << CallEnd::Answered;
        QTest::newRow("rings out")
            << QList<quint32>{LINECALLSTATE_RINGBACK, LINECALLSTATE_DISCONNECTED}
            << LINEDISCONNECTMODE_NOANSWER << QStringList{placed, QStringLiteral("ringing"), ended}
            << CallEnd::NoAnswer;
        // A line that goes idle without saying why still ends the call.
        QTest::newRow("idle without a disconnect")
            << QList<quint32>{LINECALLSTATE_IDLE} << 0u << QStringList{placed, ended}
            << CallEnd::Unexplained;
    }

    void progressAndEnds()
    {
        QFETCH(QList<quint32>, states);
        QFETCH(quint32, mode);
        QFETCH(QStringList, events);
        QFETCH(CallEnd, end);
        LineEvents seen;
        auto call = placedCall(seen);
        QVERIFY(call);
        for (quint32 state : states)
            m_fake->state(call->id(), state, state == LINECALLSTATE_DISCONNECTED ? mode : 0);
        QTRY_COMPARE(seen.list(), events);
        QCOMPARE(call->end(), end);
        QCOMPARE(call->state(), CallState::Ended);
        // A call the far end ended needs nothing more from the provider but to forget it.
        QVERIFY(m_fake->drops.isEmpty());
        QCOMPARE(m_fake->released, QList<quint64>{call->id()});
    }

    void ourHangUpWhileTalking()
    {
        m_fake->dropAtOnce = false;
        LineEvents events;
        auto call = placedCall(events);
        QVERIFY(call);
        m_fake->state(call->id(), LINECALLSTATE_CONNECTED);
        QTRY_COMPARE(events.count(), 2);
        call->hangUp();
        call->hangUp();
        QCOMPARE(m_fake->drops, QList<quint64>{call->id()});
        // What the provider reports while our hang-up runs is not passed on.
        m_fake->state(call->id(), LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
        QTest::qWait(20);
        QCOMPARE(events.count(), 2);
        // A hang-up the line could not carry out leaves the call going; the next one ends it.
        m_fake->dropped(call->id(), LINEERR_OPERATIONFAILED);
        QTest::qWait(20);
        QVERIFY(!call->isEnded());
        call->hangUp();
        m_fake->dropped(call->id(), 0);
        QTRY_COMPARE(events.list(),
                     (QStringList{QStringLiteral("placed"), QStringLiteral("connected"),
                                  QStringLiteral("ended")}));
        QCOMPARE(call->end(), CallEnd::HungUp);
        QVERIFY(call->wasAnswered());
    }

    void hangUpBeforeTheLineAnswersTheRequest()
    {
        m_fake->replyInsidePlaceCall.reset();
        auto call = m_lines->placeCall(line(0), QStringLiteral("1"));
        LineEvents events(*call);
        call->hangUp();
        // The request's late answer changes nothing.
        m_fake->place(call->id(), 0);
        QTRY_COMPARE(events.list(), QStringList{QStringLiteral("ended")});
        QCOMPARE(call->end(), CallEnd::HungUp);
    }

    void oneCallPerLine()
    {
        m_fake->dropAtOnce = false;
        LineEvents events;
        auto first = placedCall(events);
        QVERIFY(first);
        QCOMPARE(m_lines->callOn(QStringLiteral("fake"), QStringLiteral("a")), first.get());
        const quint64 asked = m_fake->lastCall;
        auto second = m_lines->placeCall(line(0), QStringLiteral("2"));
        QCOMPARE(second->error(), LineError::CallUnavailable);
        QCOMPARE(lineErrorText(second->error()), QStringLiteral("Call UnAvail"));
        QCOMPARE(m_fake->lastCall, asked);
        // Another line is free; so is this one once its call has ended.
        auto other = m_lines->placeCall(line(1), QStringLiteral("3"));
        QVERIFY(!other->isEnded());
        first->hangUp();
        QVERIFY(m_lines->placeCall(line(0), QStringLiteral("4"))->isEnded());
        m_fake->dropped(first->id(), 0);
        QTRY_VERIFY(first->isEnded());
        QCOMPARE(m_lines->callOn(QStringLiteral("fake"), QStringLiteral("a")), nullptr);
        auto third = m_lines->placeCall(line(0), QStringLiteral("5"));
        QVERIFY(!third->isEnded());
        QCOMPARE(m_fake->lastNumber, QStringLiteral("5"));
    }

    void deletingACallEndsItSilently()
    {
        m_fake->dropAtOnce = false;
        LineEvents events;
        auto call = placedCall(events);
        QVERIFY(call);
        const quint64 id = call->id();
        m_fake->state(id, LINECALLSTATE_CONNECTED);
        call.reset();
        QCOMPARE(m_fake->released, QList<quint64>{id});
        QCOMPARE(m_lines->callCount(), 0);
        // Reports for it, or for calls nobody placed, find nobody and harm nothing.
        for (quint64 stale : {id, quint64(999999)}) {
            m_fake->place(stale, 0);
            m_fake->state(stale, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
            m_fake->dropped(stale, 0);
        }
        QTest::qWait(20);
        QCOMPARE(events.list(), QStringList{QStringLiteral("placed")});
    }

    void ownerLetsGoDuringItsOwnSignal()
    {
        LineEvents events;
        std::unique_ptr<LineCall> call = placedCall(events);
        QVERIFY(call);
        QPointer<LineCall> watch = call.get();
        connect(call.get(), &LineCall::ended, this, [&] { call.release()->deleteLater(); });
        m_fake->state(watch->id(), LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
        QTRY_VERIFY(!watch);
        QCOMPARE(events.list(), (QStringList{QStringLiteral("placed"), QStringLiteral("ended")}));
    }

    void callsOutliveTheirService()
    {
        LineEvents events;
        auto call = placedCall(events);
        QVERIFY(call);
        // The service lets go of the call at its provider before the provider goes; the
        // call has nothing left to reach.
        m_lines.reset();
        call->hangUp();
        call.reset();
        init();
    }

    void providersTellOfStatesAndLists()
    {
        QSignalSpy states(m_lines.get(), &LineService::lineStateChanged);
        m_fake->setLineState(QStringLiteral("a"), QStringLiteral("Out of order"));
        QCOMPARE(states.size(), 1);
        QCOMPARE(states[0], (QVariantList{QStringLiteral("fake"), QStringLiteral("a")}));

        // The SIP provider says the same of a change to its accounts, and of each account's state.
        auto* sip = dynamic_cast<SipProvider*>(m_lines->provider(QStringLiteral("sip")));
        QVERIFY(sip);
        QSignalSpy lists(m_lines.get(), &LineService::linesChanged);
        SipAccount account;
        account.server = QStringLiteral("127.0.0.1");
        account.registerEnabled = false;
        const QString id = sip->addAccount(account);
        QVERIFY(!id.isEmpty());
        QCOMPARE(lists.size(), 1);
        QCOMPARE(sip->lineState(id), QStringLiteral("Not registering"));
        QVERIFY(sip->removeAccount(id));
        QCOMPARE(lists.size(), 2);
        // Nothing above looked at the lines: the stack did not start.
        QVERIFY(!sip->isStarted());
    }

    void endsFromDisconnectCodes()
    {
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_BUSY), CallEnd::Busy);
        QCOMPARE(callEndFromCode(false, 0x200), CallEnd::Busy);
        QCOMPARE(callEndFromCode(true, LINEDISCONNECTMODE_BUSY), CallEnd::Answered);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_NOANSWER), CallEnd::NoAnswer);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_REJECT), CallEnd::Declined);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_BADADDRESS), CallEnd::InvalidNumber);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_UNREACHABLE), CallEnd::Unreachable);
        QCOMPARE(callEndFromCode(true, LINEDISCONNECTMODE_UNREACHABLE), CallEnd::LineLost);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_UNAVAIL), CallEnd::LineLost);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_NODIALTONE), CallEnd::NoDialTone);
        QCOMPARE(callEndFromCode(false, LINEDISCONNECTMODE_UNKNOWN), CallEnd::Unexplained);
    }

    void errorTextTable()
    {
        QCOMPARE(std::size(expectedErrorTexts), std::size_t(83));
        for (const ErrorRow& row : expectedErrorTexts)
            QCOMPARE(lineErrorText(lineErrorFromCode(qint32(row.code))),
                     QString::fromLatin1(row.text));
        // Every code between the table's rows that it does not name.
        for (quint32 code = 0x80000000u; code <= 0x80000060u; ++code) {
            const bool named =
                std::any_of(std::begin(expectedErrorTexts), std::end(expectedErrorTexts),
                            [code](const ErrorRow& row) { return row.code == code; });
            if (!named)
                QCOMPARE(lineErrorText(lineErrorFromCode(qint32(code))),
                         QStringLiteral("Unknown Error"));
        }
        QCOMPARE(lineErrorText(LineError::None), QStringLiteral("Unknown Error"));
        QCOMPARE(lineErrorText(lineErrorFromCode(-1)), QStringLiteral("Unknown Error"));
    }

    void iconsPaintAtPlaceAndSize()
    {
        QImage image(80, 80, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            m_fake->paintIcon(painter, QRect(0, 0, 32, 32));
            m_fake->paintIcon(painter, QRect(50, 50, 16, 16));
        }
        const auto painted = [&](int x0, int y0, int x1, int y1) {
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    if (qAlpha(image.pixel(x, y)) != 0)
                        return true;
            return false;
        };
        QVERIFY(painted(0, 0, 32, 32));
        QVERIFY(painted(50, 50, 66, 66));
        QVERIFY(!painted(33, 0, 80, 49));
        QVERIFY(!painted(67, 67, 80, 80));
    }
};

QTEST_GUILESS_MAIN(LineServiceTest)
#include "tst_line_service.moc"
