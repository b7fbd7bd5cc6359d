// What an address book server answers to a listing or a sync-collection, in pieces of the
// sizes the network happens to deliver.
#include "FuzzInput.h"
#include "sync/MultistatusParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using telvora::DavResponse;
    using telvora::MultistatusParser;
    MultistatusParser::Limits limits;
    limits.maxBytes = 64 * 1024;
    limits.maxResponses = 100;
    limits.maxTextLength = 4096;
    int seen = 0;
    MultistatusParser parser(
        [&seen, &limits](DavResponse&& response) {
            ++seen;
            FUZZ_ASSERT(response.href.size() <= limits.maxTextLength);
            FUZZ_ASSERT(response.addressData.size() <= 4 * limits.maxTextLength);
        },
        limits);
    // The first byte picks the piece size, so that every split of the answer is tried.
    const size_t piece = size > 0 ? size_t(data[0] % 64) + 1 : 1;
    const QByteArray whole(reinterpret_cast<const char*>(data), qsizetype(size));
    bool ok = true;
    for (qsizetype at = 1; ok && at < whole.size(); at += qsizetype(piece))
        ok = parser.feed(whole.mid(at, qsizetype(piece)));
    ok = ok && parser.finish();
    FUZZ_ASSERT(ok != parser.failed());
    FUZZ_ASSERT(seen == parser.responseCount() || parser.failed());
    FUZZ_ASSERT(seen <= limits.maxResponses);
    // The same answer in one piece reads the same way.
    QList<DavResponse> all;
    QString error;
    MultistatusParser again([&all](DavResponse&& r) { all.append(std::move(r)); }, limits);
    const bool wholeOk = again.feed(whole.mid(1)) && again.finish();
    FUZZ_ASSERT(wholeOk == ok);
    FUZZ_ASSERT(!ok || all.size() == seen);
    return 0;
}
