#include "contacts/CsvWriter.h"

#include "contacts/ContactMapping.h"

#include <QIODevice>

namespace telvora {

bool CsvWriter::writeHeader()
{
    QStringList headers;
    for (const auto& column : ContactMapping::csvExportColumns())
        headers << column.first;
    return writeRecord(headers);
}

bool CsvWriter::write(const Contact& contact)
{
    return writeRecord(ContactMapping::toCsv(contact));
}

bool CsvWriter::writeRecord(const QStringList& cells)
{
    QByteArray line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += ',';
        QByteArray cell = cells[i].toUtf8();
        if (cell.contains(',') || cell.contains(';') || cell.contains('"') || cell.contains('\n') ||
            cell.contains('\r')) {
            cell.replace("\"", "\"\"");
            cell = '"' + cell + '"';
        }
        line += cell;
    }
    line += "\r\n";
    return m_out.write(line) == line.size();
}

} // namespace telvora
