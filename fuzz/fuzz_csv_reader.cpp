// Any bytes as a CSV file: records within the caps, or a refusal that names a line.
#include "FuzzInput.h"
#include "contacts/CsvReader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    telvora::CsvReader reader(buffer);
    QStringList record;
    while (reader.next(record)) {
        FUZZ_ASSERT(!record.isEmpty());
        FUZZ_ASSERT(record.size() <= telvora::CsvReader::kMaxColumns);
        FUZZ_ASSERT(reader.recordLine() >= 1);
    }
    FUZZ_ASSERT(!reader.failed() || reader.errorText().startsWith(QLatin1String("Line ")));
    return 0;
}
