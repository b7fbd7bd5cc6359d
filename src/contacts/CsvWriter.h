#pragma once

#include "contacts/Contact.h"

#include <QStringList>

class QIODevice;

namespace telvora {

// Writes contacts as CSV (RFC 4180, UTF-8, CRLF) with a header row of the columns common
// address-book programs read.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice& device) : m_out(device) {}
    bool writeHeader();
    bool write(const Contact& contact);
    bool writeRecord(const QStringList& cells);

private:
    QIODevice& m_out;
};

} // namespace telvora
