#include "settings/IniStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

namespace telvora {

namespace {
bool needsEscape(QChar c, bool atEdge)
{
    const char16_t code = c.unicode();
    return code < 0x20 || code == 0x7f || c == QLatin1Char('%') || c == QLatin1Char('=') ||
           c == QLatin1Char(';') || c == QLatin1Char('#') || c == QLatin1Char('[') ||
           c == QLatin1Char(']') || (atEdge && c.isSpace());
}
} // namespace

QString IniStore::escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!needsEscape(c, i == 0 || i == text.size() - 1)) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString IniStore::unescape(const QString& text)
{
    QByteArray bytes;
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8.at(i) == '%' && i + 2 < utf8.size()) {
            bool ok = false;
            const int byte = utf8.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes += char(byte);
                i += 2;
                continue;
            }
        }
        bytes += utf8.at(i);
    }
    return QString::fromUtf8(bytes);
}

QMap<QString, IniStore::Values> IniStore::load() const
{
    QMap<QString, Values> keys;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    QString section;
    bool inSection = false;
    // A damaged line is skipped; the rest of the file still counts.
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = unescape(line.mid(1, line.size() - 2));
            keys[section];
            inSection = true;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        // An empty name is the key's own unnamed value.
        if (!inSection || equals < 0)
            continue;
        keys[section].insert(unescape(line.left(equals)), unescape(line.mid(equals + 1)));
    }
    return keys;
}

bool IniStore::save(const QMap<QString, Values>& keys) const
{
    // A folder made here is for the owner alone, as the settings in it are.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QFileInfo::exists(folder) && QDir().mkpath(QFileInfo(folder).path()))
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out;
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        out += '[' + escape(key.key()).toUtf8() + "]\n";
        for (auto value = key->cbegin(); value != key->cend(); ++value)
            out += escape(value.key()).toUtf8() + '=' + escape(value.value()).toUtf8() + '\n';
        out += '\n';
    }
    file.write(out);
    if (!file.commit())
        return false;
    // Settings may hold account details: they are the user's alone.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

bool IniStore::hasKey(const QString& key) const
{
    return load().contains(key);
}

std::optional<QString> IniStore::value(const QString& key, const QString& name) const
{
    const QMap<QString, Values> keys = load();
    const auto section = keys.constFind(key);
    if (section == keys.cend())
        return std::nullopt;
    const auto found = section->constFind(name);
    if (found == section->cend())
        return std::nullopt;
    return *found;
}

bool IniStore::createKey(const QString& key)
{
    QMap<QString, Values> keys = load();
    if (keys.contains(key))
        return true;
    keys[key];
    return save(keys);
}

bool IniStore::setValue(const QString& key, const QString& name, const QString& text)
{
    QMap<QString, Values> keys = load();
    keys[key].insert(name, text);
    return save(keys);
}

bool IniStore::moveKey(const QString& from, const QString& to)
{
    QMap<QString, Values> keys = load();
    if (!keys.contains(from) || from == to)
        return true;
    const Values moved = keys.take(from);
    Values& target = keys[to];
    for (auto value = moved.cbegin(); value != moved.cend(); ++value) {
        if (!target.contains(value.key()))
            target.insert(value.key(), value.value());
    }
    return save(keys);
}

} // namespace telvora
