#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace telvora {

// What a user types into a search box: a text that a name or number must contain, where
// "*" stands for any text and "?" for any one character. Every other character stands
// for itself, and letters match whatever their case, in every script.
class SearchPattern
{
public:
    explicit SearchPattern(const QString& typed);

    bool isEmpty() const { return m_typed.isEmpty(); }
    // Whether the text contains what was typed. A null text never does.
    bool matches(QStringView text) const;
    // The same for a text stored as UTF-8, as SQLite hands its texts over; a null text never
    // matches.
    bool matchesUtf8(const char* text, qsizetype size) const;
    // The runs of ordinary characters between wildcards; every text that matches contains
    // each of them, letter case aside.
    QStringList pieces() const;
    // Those long enough for a trigram index to look up.
    QStringList indexablePieces() const;
    // Their trigrams, each once.
    QStringList trigrams() const;
    // The pieces as a full-text query that finds every row containing all of them; empty
    // when no piece is long enough.
    QString fullTextQuery() const;
    // Terms each read by a full-text query as plain text, whatever characters they hold.
    static QStringList quotedTerms(const QStringList& terms);
    // Whether no typed character has a case, so that SQLite's own case-sensitive GLOB,
    // which reads "*" and "?" the same way, can stand in for matches(); numbers mostly are.
    bool isCaseless() const;
    // The pattern for GLOB: what was typed between "*"s, with "[" made plain.
    QString globPattern() const;

    static constexpr int kTrigram = 3;

private:
    // A stretch between two "*": characters folded for comparison, where "?" stays
    // a separate marker so that a typed "?" can never meet a stored one by accident.
    struct Segment
    {
        QString folded;
        QList<bool> anyOne; // per code unit of folded: true where the user typed "?"
        bool hasAnyOne = false;
    };
    bool matchesFolded(QStringView folded) const;
    static qsizetype find(const Segment& segment, QStringView text, qsizetype from);
    static qsizetype matchAt(const Segment& segment, QStringView text, qsizetype at);

    QString m_typed;
    QList<Segment> m_segments;
};

} // namespace telvora
