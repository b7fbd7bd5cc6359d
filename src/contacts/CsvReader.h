#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QIODevice;

namespace telvora {

// Reads the records of a CSV file (RFC 4180: quoted fields may hold commas, quotes and line
// breaks) one at a time, in UTF-8. The separator is the comma, or the semicolon when the
// header row has more of those. Records, fields and the file are capped, so a hostile file is
// refused with the line at fault rather than read into memory whole.
class CsvReader
{
    Q_DECLARE_TR_FUNCTIONS(telvora::CsvReader)

public:
    static constexpr qint64 kMaxFileBytes = qint64(100) << 20;
    static constexpr qsizetype kMaxFieldBytes = qsizetype(1) << 20;
    static constexpr qsizetype kMaxRecordBytes = qsizetype(4) << 20;
    static constexpr int kMaxColumns = 500;

    explicit CsvReader(QIODevice& device) : m_in(device) {}

    // The next record; false at the end of the file or when it cannot be read (errorText()).
    bool next(QStringList& record);
    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }
    // The line the last record started on.
    qint64 recordLine() const { return m_recordLine; }

private:
    bool fill();
    bool fail(qint64 line, const QString& why);

    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_bytesRead = 0;
    qint64 m_line = 1;
    qint64 m_recordLine = 0;
    char m_separator = 0;
    bool m_started = false;
    QString m_error;
};

} // namespace telvora
