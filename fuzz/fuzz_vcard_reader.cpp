// Any bytes as a vCard file: read to the end or refused, never beyond the caps.
#include "FuzzInput.h"
#include "contacts/VCardReader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    telvora::VCardReader reader(buffer);
    telvora::Contact contact;
    int cards = 0;
    while (reader.next(contact)) {
        ++cards;
        FUZZ_ASSERT(contact.numbers.size() <= telvora::VCardReader::kMaxLinesPerCard);
        FUZZ_ASSERT(contact.line >= 1);
    }
    // Every card takes at least its BEGIN and END lines.
    FUZZ_ASSERT(qsizetype(cards) * 2 <= bytes.count('\n') + 1);
    FUZZ_ASSERT(!reader.failed() || !reader.errorText().isEmpty());
    return 0;
}
