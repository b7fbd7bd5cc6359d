#include "search/SearchPattern.h"

#include <algorithm>

namespace telvora {

namespace {

constexpr QChar kAnyText = u'*';
constexpr QChar kAnyOne = u'?';

// Code units of the character that starts at position i.
qsizetype charLength(QStringView text, qsizetype i)
{
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

qsizetype codePoints(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); i += charLength(text, i))
        ++count;
    return count;
}

} // namespace

SearchPattern::SearchPattern(const QString& typed) : m_typed(typed)
{
    Segment segment;
    QString run;
    const auto endRun = [&] {
        const QString folded = run.toCaseFolded();
        segment.folded += folded;
        for (qsizetype i = 0; i < folded.size(); ++i)
            segment.anyOne << false;
        run.clear();
    };
    const auto endSegment = [&] {
        endRun();
        if (!segment.folded.isEmpty())
            m_segments << segment;
        segment = Segment{};
    };
    for (const QChar c : typed) {
        if (c == kAnyText) {
            endSegment();
        } else if (c == kAnyOne) {
            endRun();
            segment.folded += QChar(u'\0');
            segment.anyOne << true;
            segment.hasAnyOne = true;
        } else {
            run += c;
        }
    }
    endSegment();
}

bool SearchPattern::matches(QStringView text) const
{
    if (text.isNull())
        return false;
    // Folding a copy that shares the caller's characters costs nothing when no letter
    // changes, which is the common case for numbers.
    return matchesFolded(QString::fromRawData(text.data(), text.size()).toCaseFolded());
}

bool SearchPattern::matchesUtf8(const char* text, qsizetype size) const
{
    if (!text)
        return false;
    // Plain ASCII folds byte by byte into a buffer on the stack: no copy on the heap per row.
    // Any other text is folded as a whole, exactly as matches() folds it.
    constexpr qsizetype kShort = 256;
    if (size <= kShort) {
        char16_t folded[kShort];
        qsizetype i = 0;
        for (; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte >= 0x80)
                break;
            folded[i] = byte >= 'A' && byte <= 'Z' ? char16_t(byte - 'A' + 'a') : char16_t(byte);
        }
        if (i == size)
            return matchesFolded(QStringView(folded, size));
    }
    return matchesFolded(QString::fromUtf8(text, size).toCaseFolded());
}

bool SearchPattern::matchesFolded(QStringView folded) const
{
    qsizetype position = 0;
    for (const Segment& segment : m_segments) {
        position = find(segment, folded, position);
        if (position < 0)
            return false;
    }
    return true;
}

// The end of the first place at or after `from` where the segment matches, or -1. As
// every segment may float between "*"s, the earliest place is always the right one.
qsizetype SearchPattern::find(const Segment& segment, QStringView text, qsizetype from)
{
    if (!segment.hasAnyOne) {
        const qsizetype at = text.indexOf(QStringView(segment.folded), from);
        return at < 0 ? -1 : at + segment.folded.size();
    }
    for (qsizetype at = from; at < text.size(); at += charLength(text, at)) {
        const qsizetype end = matchAt(segment, text, at);
        if (end >= 0)
            return end;
    }
    return -1;
}

qsizetype SearchPattern::matchAt(const Segment& segment, QStringView text, qsizetype at)
{
    qsizetype i = at;
    for (qsizetype k = 0; k < segment.folded.size(); ++k) {
        if (i >= text.size())
            return -1;
        if (segment.anyOne[k]) {
            i += charLength(text, i);
            continue;
        }
        if (text[i] != segment.folded[k])
            return -1;
        ++i;
    }
    return i;
}

QStringList SearchPattern::pieces() const
{
    QStringList pieces;
    QString run;
    const auto endRun = [&] {
        if (!run.isEmpty())
            pieces << run;
        run.clear();
    };
    for (const QChar c : m_typed) {
        if (c == kAnyText || c == kAnyOne)
            endRun();
        else
            run += c;
    }
    endRun();
    return pieces;
}

QStringList SearchPattern::indexablePieces() const
{
    QStringList pieces = this->pieces();
    pieces.removeIf([](const QString& piece) { return codePoints(piece) < kTrigram; });
    return pieces;
}

bool SearchPattern::isCaseless() const
{
    const QList<uint> characters = m_typed.toUcs4();
    return std::all_of(characters.begin(), characters.end(), [](uint c) {
        return QChar::toCaseFolded(c) == c && QChar::toLower(c) == c && QChar::toUpper(c) == c &&
               QChar::toTitleCase(c) == c;
    });
}

QString SearchPattern::globPattern() const
{
    QString plain = m_typed;
    plain.replace(QLatin1Char('['), QStringLiteral("[[]"));
    return kAnyText + plain + kAnyText;
}

QStringList SearchPattern::trigrams() const
{
    QStringList trigrams;
    for (const QString& piece : indexablePieces()) {
        const QList<uint> characters = piece.toUcs4();
        for (qsizetype i = 0; i + kTrigram <= characters.size(); ++i) {
            const QString trigram = QString::fromUcs4(
                reinterpret_cast<const char32_t*>(characters.constData() + i), kTrigram);
            if (!trigrams.contains(trigram))
                trigrams << trigram;
        }
    }
    return trigrams;
}

QString SearchPattern::fullTextQuery() const
{
    // The index keeps which rows hold each trigram, not where, so a piece is asked for as
    // all of its trigrams; the rows it gives are then matched in full.
    return quotedTerms(trigrams()).join(QLatin1Char(' '));
}

QStringList SearchPattern::quotedTerms(const QStringList& terms)
{
    QStringList quoted;
    quoted.reserve(terms.size());
    for (QString term : terms) {
        // Inside double quotes every character is taken as text but the quote itself.
        term.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        quoted << QLatin1Char('"') + term + QLatin1Char('"');
    }
    return quoted;
}

} // namespace telvora
