// The split of a clipboard text into a name and the id of the record it moves.
#include "FuzzInput.h"
#include "editing/ClipboardText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzzText(data, size);
    const telvora::NameClipboardText split = telvora::NameClipboardText::split(text);
    FUZZ_ASSERT(text.startsWith(split.textPart));
    FUZZ_ASSERT(!split.textPart.contains(QLatin1Char('/')));
    // What the window writes always reads back as it was written.
    if (!split.textPart.contains(QLatin1Char('/')) && size >= 4) {
        const qint32 id = qint32(data[0]) | (qint32(data[1]) << 8) | (qint32(data[2]) << 16);
        const auto again = telvora::NameClipboardText::split(
            telvora::NameClipboardText::make(split.textPart, int(data[3]), id));
        FUZZ_ASSERT(again.textPart == split.textPart);
        FUZZ_ASSERT(again.idPart == id);
    }
    return 0;
}
