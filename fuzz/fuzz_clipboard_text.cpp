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
    // Ids are 64-bit: every byte of the id counts, the highest ones above all.
    if (!split.textPart.contains(QLatin1Char('/')) && size >= 9) {
        quint64 bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= quint64(data[i]) << (8 * i);
        const qint64 id = qint64(bits);
        const auto again = telvora::NameClipboardText::split(
            telvora::NameClipboardText::make(split.textPart, int(data[8]), id));
        FUZZ_ASSERT(again.textPart == split.textPart);
        FUZZ_ASSERT(again.idPart == id);
    }
    return 0;
}
