// Whatever a modem (or something pretending to be one) sends down the line, in any pieces.
#include "FuzzInput.h"
#include "telephony/modem/AtParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    telvora::AtParser whole;
    const QList<telvora::AtParser::Event> once = whole.feed(bytes);

    // The same bytes cut anywhere give the same events.
    telvora::AtParser pieces;
    QList<telvora::AtParser::Event> split;
    const qsizetype cut = size > 0 ? qsizetype(data[0]) % (qsizetype(size) + 1) : 0;
    split += pieces.feed(bytes.left(cut));
    split += pieces.feed(bytes.mid(cut));
    FUZZ_ASSERT(split == once);
    for (const auto& event : once)
        FUZZ_ASSERT(event.text.size() <= bytes.size());
    return 0;
}
