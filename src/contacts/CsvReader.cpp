#include "contacts/CsvReader.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QStringDecoder>

namespace telvora {

bool CsvReader::fail(qint64 line, const QString& why)
{
    m_error = tr("Line %1: %2").arg(line).arg(why);
    return false;
}

bool CsvReader::fill()
{
    if (m_pos < m_buffer.size())
        return true;
    if (m_in.atEnd() || m_bytesRead > kMaxFileBytes)
        return false;
    m_buffer = m_in.read(64 * 1024);
    m_pos = 0;
    m_bytesRead += m_buffer.size();
    return !m_buffer.isEmpty();
}

bool CsvReader::next(QStringList& record)
{
    record.clear();
    if (failed())
        return false;
    if (!m_started) {
        m_started = true;
        if (!fill())
            return false;
        if (m_buffer.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
        // The separator the header row uses most, so a spreadsheet saved in a locale that
        // writes decimal commas is read too.
        const QByteArray head = m_buffer.mid(m_pos, m_buffer.indexOf('\n', m_pos) - m_pos);
        m_separator = head.count(';') > head.count(',') ? ';' : ',';
    }
    // Skip blank lines between records.
    while (fill() && (m_buffer[m_pos] == '\n' || m_buffer[m_pos] == '\r')) {
        if (m_buffer[m_pos] == '\n')
            ++m_line;
        ++m_pos;
    }
    if (!fill()) {
        if (m_bytesRead > kMaxFileBytes)
            return fail(m_line, tr("the file is larger than %1 MB").arg(kMaxFileBytes >> 20));
        return false;
    }
    m_recordLine = m_line;
    QList<QByteArray> fields{QByteArray()};
    qsizetype recordBytes = 0;
    bool quoted = false, wasQuoted = false;
    while (fill()) {
        const char c = m_buffer[m_pos++];
        if (++recordBytes > kMaxRecordBytes)
            return fail(m_recordLine,
                        tr("the record is longer than %1 bytes").arg(kMaxRecordBytes));
        if (c == '\0')
            return fail(m_line, tr("the line holds a NUL byte"));
        if (quoted) {
            if (c == '"') {
                if (fill() && m_buffer[m_pos] == '"') {
                    ++m_pos;
                    fields.last() += '"';
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == '\n')
                ++m_line;
            fields.last() += c;
        } else if (c == '"' && fields.last().isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == m_separator) {
            if (fields.size() >= kMaxColumns)
                return fail(m_line, tr("the record has more than %1 columns").arg(kMaxColumns));
            fields.append(QByteArray());
            wasQuoted = false;
        } else if (c == '\n') {
            ++m_line;
            break;
        } else if (c != '\r') {
            fields.last() += c;
        }
        if (fields.last().size() > kMaxFieldBytes)
            return fail(m_line, tr("a field is longer than %1 bytes").arg(kMaxFieldBytes));
    }
    if (quoted)
        return fail(m_recordLine, tr("a quoted field is not closed"));
    if (m_bytesRead > kMaxFileBytes)
        return fail(m_line, tr("the file is larger than %1 MB").arg(kMaxFileBytes >> 20));
    for (const QByteArray& field : std::as_const(fields)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        record << decoder.decode(field);
        if (decoder.hasError())
            return fail(m_recordLine, tr("the text is not valid UTF-8"));
    }
    return true;
}

} // namespace telvora
