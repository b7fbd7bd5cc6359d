#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

struct UCollator;

namespace telvora {

// Turns a text into bytes that sort, compared byte by byte as SQLite compares BLOBs, in
// the order a locale's users expect: letters with accents beside their base letters, each
// script in its place, lower case before upper. Storing the bytes lets the file keep a
// plain index on them, which any SQLite program can read and check.
class SortKey
{
public:
    // A locale name such as "de_DE"; "C", "POSIX" or an empty name use the root order.
    explicit SortKey(const QString& locale);
    ~SortKey();
    SortKey(const SortKey&) = delete;
    SortKey& operator=(const SortKey&) = delete;

    // The locale and the collation's version together: keys made under another are not
    // comparable with these and must be made again.
    QString identity() const { return m_identity; }
    QByteArray key(QStringView text) const;
    // The key of the text's letters alone, letter case and accents aside. A text's primary
    // key begins with that of each of its beginnings, and a key() sorts at or after the
    // primary key of its own beginnings and before those of any text sorting after it, so
    // the texts beginning alike stand together in a list sorted by key().
    QByteArray primaryKey(QStringView text) const;

    // The collation locale of the user's environment (LC_COLLATE, LC_ALL, LANG), or of
    // QLocale::setDefault when a program chose one.
    static QString userLocale();

private:
    UCollator* m_collator = nullptr;
    // The same order, comparing letters only.
    UCollator* m_primary = nullptr;
    QString m_identity;
};

} // namespace telvora
