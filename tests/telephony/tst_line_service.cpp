#include "FakeProvider.h"
#include "LineEvents.h"
#include "support/TestHome.h"
#include "telephony/CvbTAPILine.h"
#include "telephony/LineDialogs.h"
#include "telephony/LineService.h"
#include "telephony/mTAPIConsts.h"
#include "telephony/mTAPIvb.h"
#include "telephony/sip/SipProvider.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

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

class RecordingDialogs : public LineDialogs
{
public:
    qint32 configDialog(LineProvider& provider, const QString& lineKey, QObject* owner,
                        const QString& deviceClass) override
    {
        seen << provider.kind() + QLatin1Char('/') + lineKey + QLatin1Char('/') + deviceClass;
        lastOwner = owner;
        return 0;
    }
    qint32 translateDialog(LineProvider&, const QString& lineKey, QObject*,
                           const QString& number) override
    {
        seen << QLatin1String("translate/") + lineKey + QLatin1Char('/') + number;
        return LINEERR_OPERATIONFAILED;
    }
    QStringList seen;
    QObject* lastOwner = nullptr;
};

} // namespace

class LineServiceTest : public QObject
{
    Q_OBJECT

private:
    telvora::test::TestHome m_home;
    FakeProvider* m_fake = nullptr;

    // A line object registered, on line 0, opened, with a call requested and accepted.
    std::shared_ptr<CvbTAPILine> callingLine(LineEvents& events);

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noLineDevicesMeansNoCreate();
    void lastErrorClearsWhenRead();
    void failedNegotiationKeepsVersionZero();
    void capabilitiesAreReadForTheCurrentLine();
    void outOfRangeLineIsRefusedAndKept();
    void openLineTwiceDoesNothingTheSecondTime();
    void replyNeverArrivesInsideTheRequest();
    void emptyNumberAsksForNoNumber();
    void refusedCallStoresTheError();
    void failedReplyClosesTheLineBeforeTheEvent();
    void busyDisconnectsDropsAndGoesIdle();
    void answeredCallThatTheFarEndEnds();
    void ourDropWhileTalking();
    void replyMatchingNoRequestRaisesNothing();
    void replyWithIdZeroMatchesNoIdleRequest();
    void idleWithoutCallStillRaisesIdle();
    void disconnectedWithoutCallStartsNoDrop();
    void messageForAnotherInstanceIsIgnored();
    void ownerLetsGoDuringItsOwnEvent();
    void destructionEndsCallLineAndRegistration();
    void messagesForAClosedLineAreDropped();
    void secondCallOnTheSameLineIsRefused();
    void linesAreSharedAndProvidersMadeOnce();
    void listingNumbersLinesAsTheNextRegistration();
    void providersTellOfStatesAndLists();
    void errorTextTable();
    void errorStringLeavesLastErrorAlone();
    void paintDevIconPaintsAtPlaceAndSize();
    void dialogsGoThroughTheSeam();
};

void LineServiceTest::initTestCase()
{
    // Made before anything registered: the SIP provider has no accounts in this home, so
    // the fake's lines are the only ones.
    m_fake = static_cast<FakeProvider*>(
        &LineService::instance().addProvider(std::make_unique<FakeProvider>()));
}

void LineServiceTest::init()
{
    m_fake->setLines({FakeProvider::line(QStringLiteral("a"), QStringLiteral("Line Alpha")),
                      FakeProvider::line(QStringLiteral("b"), QStringLiteral("Line Beta"))});
    m_fake->replyInsidePlaceCall = 0;
    m_fake->refuseAtOnce = 0;
    m_fake->dropAtOnce = true;
    m_fake->drops.clear();
    m_fake->released.clear();
    LineService::instance().setDialogs(nullptr);
}

void LineServiceTest::cleanup()
{
    QCoreApplication::processEvents();
    // Every test lets go of its line objects; nothing may be left behind.
    QCOMPARE(LineService::instance().callCount(), 0);
    QCOMPARE(LineService::instance().openLineCount(), 0);
    QCOMPARE(LineService::instance().registrationCount(), 0);
}

std::shared_ptr<CvbTAPILine> LineServiceTest::callingLine(LineEvents& events)
{
    auto line = CvbTAPILine::make();
    events.watch(*line);
    if (!line->Create() ||
        !line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE) ||
        !line->MakeCallAsynch(QStringLiteral("123")))
        return nullptr;
    if (!QTest::qWaitFor([&] { return events.count() >= 1; }, 2000))
        return nullptr;
    return line;
}

void LineServiceTest::noLineDevicesMeansNoCreate()
{
    m_fake->setLines({});
    auto line = CvbTAPILine::make();
    QVERIFY(!line->Create());
    QCOMPARE(line->LastError(), 0);
    QCOMPARE(line->numLines(), 0);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, line->setCurrentLineID(0));
    QCOMPARE(line->CurrentLineID(), 0);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, line->NegotiatedAPIVersion());
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, line->ExtAPI_ID0());
    QVERIFY_THROWS_EXCEPTION(
        std::out_of_range, line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QVERIFY(!line->MakeCallAsynch(QStringLiteral("1")));
    QVERIFY(!line->DropCallAsynch());
    QVERIFY(!line->CloseLine());
    // The registration itself succeeded and ends with the object.
    QCOMPARE(LineService::instance().registrationCount(), 1);
}

void LineServiceTest::lastErrorClearsWhenRead()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(!line->OpenLine(0x4, LINEMEDIAMODE_INTERACTIVEVOICE));
    QCOMPARE(line->LastError(), LINEERR_INVALPRIVSELECT);
    QCOMPARE(line->LastError(), 0);
}

void LineServiceTest::failedNegotiationKeepsVersionZero()
{
    ProviderLine future = FakeProvider::line(QStringLiteral("f"), QStringLiteral("Future"));
    future.lowestVersion = 0x00030001;
    future.highestVersion = 0x00030001;
    m_fake->setLines(
        {FakeProvider::line(QStringLiteral("a"), QStringLiteral("Line Alpha")), future});
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QCOMPARE(line->HiAPI(), LineService::highestVersion);
    QCOMPARE(line->NegotiatedAPIVersion(), LineService::highestVersion);
    line->setCurrentLineID(1);
    // Caps of a line without a version cannot be read: line 0's stay.
    QCOMPARE(line->LastError(), LINEERR_INCOMPATIBLEAPIVERSION);
    QCOMPARE(line->LineName(), QStringLiteral("Line Alpha"));
    QCOMPARE(line->NegotiatedAPIVersion(), 0u);
    QCOMPARE(line->ExtAPI_ID3(), 0u);
    QVERIFY(!line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QCOMPARE(line->LastError(), LINEERR_INCOMPATIBLEAPIVERSION);
}

void LineServiceTest::capabilitiesAreReadForTheCurrentLine()
{
    auto line = CvbTAPILine::make();
    QCOMPARE(line->LowAPI(), 0x00010003u);
    QCOMPARE(line->HiAPI(), 0x00030000u);
    QVERIFY(line->Create());
    QCOMPARE(line->numLines(), 2);
    // A ten-character name is ten characters: the record holds plain texts.
    QCOMPARE(line->LineName(), QStringLiteral("Line Alpha"));
    QCOMPARE(line->LineName().size(), 10);
    QCOMPARE(line->ProviderInfo(), QStringLiteral("Fake provider"));
    QCOMPARE(line->SwitchInfo(), QStringLiteral("switch of a"));
    QCOMPARE(line->PermanentLineID(), 0x77u);
    QCOMPARE(line->StringFormat(), LINESTRINGFORMAT_ASCII);
    QCOMPARE(line->numAddresses(), 1u);
    QCOMPARE(line->maxDataRate(), 9600u);
    QCOMPARE(line->BearerModes(), LINEBEARERMODE_VOICE);
    QCOMPARE(line->AddressModes(), LINEADDRESSMODE_ADDRESSID);
    QCOMPARE(line->mediamodes(), LINEMEDIAMODE_INTERACTIVEVOICE);
    QCOMPARE(line->GenerateToneMaxNumFreq(), 2u);
    QCOMPARE(line->GenerateToneModes(), 0x4u);
    QCOMPARE(line->numTerminals(), 3u);
    QVERIFY(line->LineSupportsVoiceCalls());
    line->setCurrentLineID(1);
    QCOMPARE(line->LineName(), QStringLiteral("Line Beta"));
    QCOMPARE(line->LastError(), 0);

    ProviderLine data = FakeProvider::line(QStringLiteral("d"), QStringLiteral("Data only"));
    data.caps.mediaModes = 0x10;
    m_fake->setLines({data});
    auto dataLine = CvbTAPILine::make();
    QVERIFY(dataLine->Create());
    QVERIFY(!dataLine->LineSupportsVoiceCalls());
}

void LineServiceTest::outOfRangeLineIsRefusedAndKept()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    line->setCurrentLineID(1);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, line->setCurrentLineID(2));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, line->setCurrentLineID(-1));
    QCOMPARE(line->CurrentLineID(), 1);
    QCOMPARE(line->LineName(), QStringLiteral("Line Beta"));
    QCOMPARE(line->LastError(), 0);
}

void LineServiceTest::openLineTwiceDoesNothingTheSecondTime()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QCOMPARE(LineService::instance().openLineCount(), 1);
    QVERIFY(!line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QCOMPARE(line->LastError(), 0);
    QCOMPARE(LineService::instance().openLineCount(), 1);
    QVERIFY(line->CloseLine());
    QVERIFY(!line->CloseLine());
    QCOMPARE(LineService::instance().openLineCount(), 0);
}

void LineServiceTest::replyNeverArrivesInsideTheRequest()
{
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    line->setCurrentLineID(1);
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    // The fake answers from inside placeCall; the line object must still hear it later.
    QVERIFY(line->MakeCallAsynch(QStringLiteral("0123 456")));
    QCOMPARE(events.count(), 0);
    QCOMPARE(m_fake->lastLineKey, QStringLiteral("b"));
    QCOMPARE(m_fake->lastNumber, QStringLiteral("0123 456"));
    QTRY_COMPARE(events.list(), QStringList{QStringLiteral("MakeCallResult(0)")});
}

void LineServiceTest::emptyNumberAsksForNoNumber()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    m_fake->lastNumber = QStringLiteral("not asked");
    QVERIFY(line->MakeCallAsynch(QString()));
    QVERIFY(m_fake->lastNumber.isEmpty());
}

void LineServiceTest::refusedCallStoresTheError()
{
    m_fake->refuseAtOnce = LINEERR_RESOURCEUNAVAIL;
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QVERIFY(!line->MakeCallAsynch(QStringLiteral("1")));
    QCOMPARE(line->LastError(), LINEERR_RESOURCEUNAVAIL);
    QVERIFY(!line->DropCallAsynch());
    QTest::qWait(20);
    QCOMPARE(events.count(), 0);
    QCOMPARE(LineService::instance().callCount(), 0);
}

void LineServiceTest::failedReplyClosesTheLineBeforeTheEvent()
{
    m_fake->replyInsidePlaceCall = LINEERR_INVALADDRESS;
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    bool closedBeforeEvent = false;
    int result = 0;
    connect(line.get(), &CvbTAPILine::MakeCallResult, this, [&](qint32 code) {
        result = code;
        closedBeforeEvent = LineService::instance().openLineCount() == 0 && !line->CloseLine();
    });
    QVERIFY(line->MakeCallAsynch(QStringLiteral("1")));
    QTRY_COMPARE(result, LINEERR_INVALADDRESS);
    QVERIFY(closedBeforeEvent);
    QCOMPARE(m_fake->released, QList<quint64>{m_fake->lastCall});
    // The line can be opened again for the next attempt.
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
}

void LineServiceTest::busyDisconnectsDropsAndGoesIdle()
{
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_PROCEEDING);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_BUSY);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
    QTRY_COMPARE(events.list(),
                 (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Disconnected"),
                              QStringLiteral("DropCallResult(0)"), QStringLiteral("Idle")}));
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_BUSY);
    QVERIFY(!line->CallWasConnected());
    // A call the far end already ended needs nothing more from the provider.
    QVERIFY(m_fake->drops.isEmpty());
    QCOMPARE(LineService::instance().openLineCount(), 0);
    QCOMPARE(LineService::instance().callCount(), 0);
}

void LineServiceTest::answeredCallThatTheFarEndEnds()
{
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_RINGBACK);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_CONNECTED);
    QTRY_COMPARE(events.count(), 2);
    QVERIFY(line->CallWasConnected());
    QCOMPARE(line->DisconnectMode(), 0u);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    QTRY_COMPARE(events.list(),
                 (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Connected"),
                              QStringLiteral("Disconnected"), QStringLiteral("DropCallResult(0)"),
                              QStringLiteral("Idle")}));
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_NORMAL);
}

void LineServiceTest::ourDropWhileTalking()
{
    m_fake->dropAtOnce = false;
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    const quint64 call = m_fake->lastCall;
    m_fake->state(call, LINECALLSTATE_CONNECTED);
    QTRY_COMPARE(events.count(), 2);
    QVERIFY(line->DropCallAsynch());
    QCOMPARE(m_fake->drops, QList<quint64>{call});
    // A second drop while the first is under way is refused.
    QVERIFY(!line->DropCallAsynch());
    QCOMPARE(line->LastError(), LINEERR_INVALCALLSTATE);
    // The state the provider reports while our drop runs is not passed on.
    m_fake->state(call, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    m_fake->dropped(call, 0);
    QTRY_COMPARE(events.list(),
                 (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Connected"),
                              QStringLiteral("DropCallResult(0)"), QStringLiteral("Idle")}));
}

void LineServiceTest::replyMatchingNoRequestRaisesNothing()
{
    m_fake->replyInsidePlaceCall.reset();
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    QVERIFY(line->OpenLine(LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_INTERACTIVEVOICE));
    QVERIFY(line->MakeCallAsynch(QStringLiteral("1")));
    mTAPIvb::LineCallback(0, LINE_REPLY, line->CallbackInstance(), 0x7fff0000u, 0, 0);
    QCOMPARE(events.count(), 0);
    // The outstanding request still gets its answer.
    m_fake->place(m_fake->lastCall, 0);
    QTRY_COMPARE(events.list(), QStringList{QStringLiteral("MakeCallResult(0)")});
}

void LineServiceTest::replyWithIdZeroMatchesNoIdleRequest()
{
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    mTAPIvb::LineCallback(0, LINE_REPLY, line->CallbackInstance(), 0, LINEERR_OPERATIONFAILED, 0);
    QCOMPARE(events.count(), 0);
}

void LineServiceTest::idleWithoutCallStillRaisesIdle()
{
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    mTAPIvb::LineCallback(0, LINE_CALLSTATE, line->CallbackInstance(), LINECALLSTATE_IDLE, 0, 0);
    QCOMPARE(events.list(), QStringList{QStringLiteral("Idle")});
    QCOMPARE(line->LastError(), 0);
}

void LineServiceTest::disconnectedWithoutCallStartsNoDrop()
{
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    QVERIFY(line->Create());
    mTAPIvb::LineCallback(0, LINE_CALLSTATE, line->CallbackInstance(), LINECALLSTATE_DISCONNECTED,
                          LINEDISCONNECTMODE_UNREACHABLE, 0);
    QCOMPARE(events.list(), QStringList{QStringLiteral("Disconnected")});
    QCOMPARE(line->DisconnectMode(), LINEDISCONNECTMODE_UNREACHABLE);
    QCOMPARE(line->LastError(), 0);
    QTest::qWait(20);
    QCOMPARE(events.count(), 1);
}

void LineServiceTest::messageForAnotherInstanceIsIgnored()
{
    auto line = CvbTAPILine::make();
    LineEvents events(*line);
    const quint32 gone = [] {
        return CvbTAPILine::make()->CallbackInstance();
    }();
    mTAPIvb::LineCallback(0, LINE_CALLSTATE, gone, LINECALLSTATE_IDLE, 0, 0);
    mTAPIvb::LineCallback(0, LINE_CALLSTATE, 0, LINECALLSTATE_IDLE, 0, 0);
    mTAPIvb::LineCallback(0, 5, line->CallbackInstance(), LINECALLSTATE_IDLE, 0, 0);
    QCOMPARE(events.count(), 0);
}

void LineServiceTest::ownerLetsGoDuringItsOwnEvent()
{
    m_fake->dropAtOnce = false;
    LineEvents events;
    std::shared_ptr<CvbTAPILine> owner = callingLine(events);
    QVERIFY(owner);
    const std::weak_ptr<CvbTAPILine> watch = owner;
    const quint64 call = m_fake->lastCall;
    bool aliveAfterLettingGo = false;
    connect(owner.get(), &CvbTAPILine::Disconnected, this, [&] {
        owner.reset();
        // The dispatch still holds it: the handler may go on using its members.
        aliveAfterLettingGo = !watch.expired();
    });
    m_fake->state(call, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
    QTRY_VERIFY(watch.expired());
    QVERIFY(aliveAfterLettingGo);
    QCOMPARE(events.list(),
             (QStringList{QStringLiteral("MakeCallResult(0)"), QStringLiteral("Disconnected")}));
    // Its drop was under way; the reply that comes now finds nobody and harms nothing.
    QCOMPARE(m_fake->released, QList<quint64>{call});
    m_fake->dropped(call, 0);
    QTest::qWait(20);
    QCOMPARE(events.count(), 2);
}

void LineServiceTest::destructionEndsCallLineAndRegistration()
{
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_CONNECTED);
    QTRY_COMPARE(events.count(), 2);
    QCOMPARE(LineService::instance().callCount(), 1);
    line.reset();
    QCOMPARE(m_fake->released, QList<quint64>{m_fake->lastCall});
    QCOMPARE(LineService::instance().callCount(), 0);
    QCOMPARE(LineService::instance().openLineCount(), 0);
    QCOMPARE(LineService::instance().registrationCount(), 0);
}

void LineServiceTest::messagesForAClosedLineAreDropped()
{
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    m_fake->state(m_fake->lastCall, LINECALLSTATE_CONNECTED);
    QVERIFY(line->CloseLine());
    QTest::qWait(20);
    QCOMPARE(events.list(), QStringList{QStringLiteral("MakeCallResult(0)")});
}

void LineServiceTest::secondCallOnTheSameLineIsRefused()
{
    LineEvents events;
    auto line = callingLine(events);
    QVERIFY(line);
    quint32 second = 0;
    quint32 hLine = 0;
    LineService& service = LineService::instance();
    // Through the service directly: the line object keeps one call by design.
    quint32 app = 0;
    quint32 devices = 0;
    quint32 version = 0;
    QCOMPARE(
        service.initialize(&app, &mTAPIvb::LineCallback, QStringLiteral("t"), &devices, &version),
        0);
    QCOMPARE(service.open(app, 0, &hLine, version, 0, 0, LINECALLPRIVILEGE_NONE, 0), 0);
    QVERIFY(service.makeCall(hLine, &second, QStringLiteral("1"), 0) > 0);
    QCOMPARE(service.makeCall(hLine, &second, QStringLiteral("2"), 0), LINEERR_CALLUNAVAIL);
    QCOMPARE(service.makeCall(hLine + 1000, &second, QStringLiteral("2"), 0),
             LINEERR_INVALLINEHANDLE);
    QCOMPARE(service.drop(second + 1000), LINEERR_INVALCALLHANDLE);
    QCOMPARE(service.shutdown(app), 0);
    QCOMPARE(service.shutdown(app), LINEERR_INVALAPPHANDLE);
}

void LineServiceTest::linesAreSharedAndProvidersMadeOnce()
{
    const int activationsBefore = m_fake->activations;
    auto first = CvbTAPILine::make();
    auto second = CvbTAPILine::make();
    QVERIFY(first->Create());
    QVERIFY(second->Create());
    QCOMPARE(LineService::instance().registrationCount(), 2);
    QCOMPARE(m_fake->activations, activationsBefore + 2);
    QCOMPARE(LineService::instance().provider(QStringLiteral("fake")), m_fake);
    // The SIP provider is there, registered by itself, and idle without accounts.
    QVERIFY(LineService::instance().provider(QStringLiteral("sip")));
    m_fake->setLines({});
    QVERIFY(!CvbTAPILine::make()->Create());
    QCOMPARE(m_fake->activations, activationsBefore + 2);
}

void LineServiceTest::listingNumbersLinesAsTheNextRegistration()
{
    const int activationsBefore = m_fake->activations;
    const QList<LineService::ListedLine> listed = LineService::instance().listLines();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed[1].provider, m_fake);
    QCOMPARE(listed[1].line.key, QStringLiteral("b"));
    // A look at the lines gets a provider with lines ready, as a registration does.
    QCOMPARE(m_fake->activations, activationsBefore + 1);
    QCOMPARE(LineService::instance().registrationCount(), 0);

    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QCOMPARE(line->numLines(), listed.size());
    line->setCurrentLineID(1);
    QCOMPARE(line->LineName(), listed[1].line.caps.lineName);

    m_fake->setLines({});
    QVERIFY(LineService::instance().listLines().isEmpty());
    QCOMPARE(m_fake->activations, activationsBefore + 2);
}

void LineServiceTest::providersTellOfStatesAndLists()
{
    QCOMPARE(m_fake->lineState(QStringLiteral("a")), QString());
    QSignalSpy states(&LineService::instance(), &LineService::lineStateChanged);
    m_fake->setLineState(QStringLiteral("a"), QStringLiteral("Out of order"));
    QCOMPARE(states.size(), 1);
    QCOMPARE(states[0], (QVariantList{QStringLiteral("fake"), QStringLiteral("a")}));
    QCOMPARE(m_fake->lineState(QStringLiteral("a")), QStringLiteral("Out of order"));

    // The SIP provider says the same of a change to its accounts, and of each account's state.
    auto* sip = dynamic_cast<SipProvider*>(LineService::instance().provider(QStringLiteral("sip")));
    QVERIFY(sip);
    QSignalSpy lists(&LineService::instance(), &LineService::linesChanged);
    SipAccount account;
    account.server = QStringLiteral("127.0.0.1");
    account.registerEnabled = false;
    const QString id = sip->addAccount(account);
    QVERIFY(!id.isEmpty());
    QCOMPARE(lists.size(), 1);
    QCOMPARE(sip->lineState(id), QStringLiteral("Not registering"));
    QCOMPARE(sip->lineState(QStringLiteral("no such account")), QString());
    QVERIFY(sip->removeAccount(id));
    QCOMPARE(lists.size(), 2);
    // Nothing above looked at the lines or registered: the stack did not start.
    QVERIFY(!sip->isStarted());
    m_fake->setLineState(QStringLiteral("a"), QString());
}

void LineServiceTest::errorTextTable()
{
    QCOMPARE(std::size(expectedErrorTexts), std::size_t(83));
    for (const ErrorRow& row : expectedErrorTexts)
        QCOMPARE(LineErrorText(row.code), QString::fromLatin1(row.text));
    // Every code between the table's rows that it does not name.
    for (quint32 code = 0x80000000u; code <= 0x80000060u; ++code) {
        const bool named = std::any_of(std::begin(expectedErrorTexts), std::end(expectedErrorTexts),
                                       [code](const ErrorRow& row) { return row.code == code; });
        if (!named)
            QCOMPARE(LineErrorText(code), QStringLiteral("Unknown Error"));
    }
    QCOMPARE(LineErrorText(0), QStringLiteral("Unknown Error"));
    QCOMPARE(LineErrorText(0x80000025u), QStringLiteral("Unknown Error"));
    QCOMPARE(LineErrorText(0x8000004Eu), QStringLiteral("Target Not found"));
    QCOMPARE(LineErrorText(0xFFFFFFFFu), QStringLiteral("Unknown Error"));
}

void LineServiceTest::errorStringLeavesLastErrorAlone()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(!line->OpenLine(0, 0));
    QCOMPARE(line->ErrorString(LINEERR_INVALPRIVSELECT), QStringLiteral("Invalid Priv Select"));
    QCOMPARE(line->ErrorString(LINEERR_INVALCALLHANDLE), QStringLiteral("Invalid Call Handle"));
    QCOMPARE(line->LastError(), LINEERR_INVALPRIVSELECT);
}

void LineServiceTest::paintDevIconPaintsAtPlaceAndSize()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QImage image(80, 80, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QVERIFY(line->PaintDevIcon(&painter, 0, 0, 0, 0));
        QVERIFY(line->PaintDevIcon(&painter, 50, 50, 16, 16));
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
    QVERIFY(!line->PaintDevIcon(nullptr, 0, 0, 0, 0));
}

void LineServiceTest::dialogsGoThroughTheSeam()
{
    auto line = CvbTAPILine::make();
    QVERIFY(line->Create());
    QVERIFY(!line->ConfigDialog(nullptr, QString()));
    RecordingDialogs dialogs;
    LineService::instance().setDialogs(&dialogs);
    line->setCurrentLineID(1);
    QObject owner;
    QVERIFY(line->ConfigDialog(&owner, QStringLiteral("tapi/line")));
    QCOMPARE(dialogs.lastOwner, &owner);
    QVERIFY(!line->ConfigDialog(&owner, QStringLiteral("comm/datamodem/bogus")));
    QVERIFY(!line->DialingPropertiesDialog(&owner, QStringLiteral("555")));
    QCOMPARE(dialogs.seen,
             (QStringList{QStringLiteral("fake/b/tapi/line"), QStringLiteral("translate/b/555")}));
    LineService::instance().setDialogs(nullptr);
}

QTEST_GUILESS_MAIN(LineServiceTest)
#include "tst_line_service.moc"
