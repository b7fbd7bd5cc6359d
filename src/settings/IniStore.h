#pragma once

#include <QMap>
#include <QString>
#include <optional>

namespace telvora {

// Keys and their string values in an INI file: one section per key (which may hold no
// value at all), one line per value. Any text survives a round trip: characters that
// would change the file's structure are written as %XX escapes of their UTF-8 bytes.
// Each call reads the file afresh and each change replaces it whole and atomically, so
// a crash mid-write leaves the old file or the new one, and another process's changes
// are never overwritten by a stale copy.
class IniStore
{
public:
    using Values = QMap<QString, QString>;

    explicit IniStore(QString path) : m_path(std::move(path)) {}
    QString path() const { return m_path; }

    bool hasKey(const QString& key) const;
    // Nothing when the key or the value does not exist.
    std::optional<QString> value(const QString& key, const QString& name) const;
    // Each returns false, and changes nothing, when the file cannot be written.
    bool createKey(const QString& key);
    bool setValue(const QString& key, const QString& name, const QString& text);
    // Gives the key's values to another key (whose own values win) and removes it, in one
    // replacement of the file.
    bool moveKey(const QString& from, const QString& to);

    static QString escape(const QString& text);
    static QString unescape(const QString& text);

private:
    QMap<QString, Values> load() const;
    bool save(const QMap<QString, Values>& keys) const;

    QString m_path;
};

} // namespace telvora
