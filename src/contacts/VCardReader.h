#pragma once

#include "contacts/Contact.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringDecoder>

class QIODevice;

namespace telvora {

// Reads the cards of a vCard 2.1, 3.0 or 4.0 file one at a time, so a file of many cards never
// sits in memory whole. Any file may be hostile: lines, cards and the file are capped, and a
// line that cannot be read stops the reading with a message naming the card and line.
class VCardReader
{
    Q_DECLARE_TR_FUNCTIONS(telvora::VCardReader)

public:
    static constexpr qint64 kMaxFileBytes = qint64(100) << 20;
    // A logical line (folding undone) kept for its value; a longer one is refused, unless it
    // is a picture, sound or key, which the phone book has no place for and skips unread.
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;
    static constexpr int kMaxLinesPerCard = 2000;

    explicit VCardReader(QIODevice& device) : m_in(device) {}

    // The next card; false at the end of the file or when the file cannot be read (then
    // errorText() says why).
    bool next(Contact& contact);
    bool failed() const { return !m_error.isEmpty(); }
    QString errorText() const { return m_error; }

private:
    struct Line
    {
        QByteArray text;
        qint64 number = 0;
        bool tooLong = false;
    };
    bool readPhysical(QByteArray& line, bool& tooLong);
    bool readLogical(Line& line);
    bool fail(qint64 line, const QString& why);

    QIODevice& m_in;
    QByteArray m_buffer;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QByteArray m_pending;
    bool m_hasPending = false;
    bool m_pendingTooLong = false;
    qint64 m_lineNumber = 0;
    qint64 m_bytesRead = 0;
    int m_cards = 0;
    QString m_error;
};

} // namespace telvora
