#include "settings/Registry.h"

#include "common/PrivateFiles.h"
#include "settings/StoredSettings.h"
#include "ui/Prompt.h"

#include <QCoreApplication>

namespace telvora {

namespace {
const char* const rootNames[] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

const QString kSettingsSection = QStringLiteral("settings");
} // namespace

Registry::Registry(QString iniPath, Prompt& prompt) : m_store(std::move(iniPath)), m_prompt(prompt)
{}

QString Registry::defaultPath()
{
    return configFile(QStringLiteral("registry.ini"));
}

Registry::RootKey Registry::RootKeyFromName(const QString& name)
{
    quint32 handle = HKEY_CLASSES_ROOT;
    for (const char* root : rootNames) {
        if (name == QLatin1String(root))
            return RootKey(handle);
        ++handle;
    }
    return NoRoot;
}

std::optional<Registry::Split> Registry::SplitKeyPath(const QString& keyPath)
{
    if (!keyPath.startsWith(QLatin1String("HKEY_")) || keyPath.endsWith(QLatin1Char('\\'))) {
        m_prompt.messageBox(
            QCoreApplication::translate("telvora::Registry", "Incorrect Format:\n\n") + keyPath);
        return std::nullopt;
    }
    const qsizetype slash = keyPath.indexOf(QLatin1Char('\\'));
    if (slash < 0)
        return Split{RootKeyFromName(keyPath), {}};
    return Split{RootKeyFromName(keyPath.left(slash)), keyPath.mid(slash + 1)};
}

QString Registry::sectionName(const QString& keyPath, const Split& split)
{
    if (keyPath == StoredSettings::keyPath())
        return kSettingsSection;
    // "HKEY_CURRENT_USER" becomes "current-user"; a "/" or "%" inside a key name is
    // written as %2F or %25, so that no two key paths share a section.
    const QString root = keyPath.section(QLatin1Char('\\'), 0, 0);
    QStringList parts{root.mid(5).toLower().replace(QLatin1Char('_'), QLatin1Char('-'))};
    if (!split.subKey.isEmpty()) {
        for (QString name : split.subKey.split(QLatin1Char('\\'))) {
            name.replace(QLatin1Char('%'), QLatin1String("%25"));
            name.replace(QLatin1Char('/'), QLatin1String("%2F"));
            parts << name;
        }
    }
    return parts.join(QLatin1Char('/'));
}

QString Registry::sectionToRead(const QString& keyPath, const Split& split) const
{
    const QString plain = sectionName(keyPath, split);
    if (!m_store.hasKey(plain) && m_store.hasKey(keyPath))
        return keyPath;
    return plain;
}

bool Registry::moveOldSection(const QString& keyPath, const Split& split)
{
    const QString plain = sectionName(keyPath, split);
    if (m_store.hasKey(plain) || !m_store.hasKey(keyPath))
        return true;
    return m_store.moveKey(keyPath, plain);
}

bool Registry::keyExists(const QString& section, const Split& split) const
{
    return split.subKey.isEmpty() || m_store.hasKey(section);
}

QString Registry::ReadRegistryString(const QString& keyPath, const QString& valueName)
{
    const auto split = SplitKeyPath(keyPath);
    if (!split || split->root == NoRoot)
        return {};
    const QString section = sectionToRead(keyPath, *split);
    if (!keyExists(section, *split)) {
        m_lastResult = kFileNotFound;
        return QStringLiteral("Error");
    }
    const std::optional<QString> value = m_store.value(section, valueName);
    if (!value) {
        m_lastResult = kFileNotFound;
        return QStringLiteral("Error");
    }
    // The text and its terminating NUL must fit a buffer of 255 characters.
    if (value->size() > kLongestValue) {
        m_lastResult = kMoreData;
        return QStringLiteral("Error");
    }
    m_lastResult = kSuccess;
    qsizetype first = 0;
    while (first < value->size() && value->at(first) == QLatin1Char(' '))
        ++first;
    return value->mid(first);
}

QString Registry::CleanRegistryText(const QString& text)
{
    if (text.toUpper() == QLatin1String("ERROR"))
        return {};
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

void Registry::CreateRegistryKey(const QString& keyPath)
{
    const auto split = SplitKeyPath(keyPath);
    if (!split || split->root == NoRoot)
        return;
    const QString section = sectionName(keyPath, *split);
    m_lastResult =
        split->subKey.isEmpty() || (moveOldSection(keyPath, *split) && m_store.createKey(section))
            ? kSuccess
            : kAccessDenied;
}

void Registry::WriteRegistryString(const QString& keyPath, const QString& valueName,
                                   const QString& text)
{
    const auto split = SplitKeyPath(keyPath);
    if (!split || split->root == NoRoot)
        return;
    if (!keyExists(sectionToRead(keyPath, *split), *split)) {
        m_lastResult = kFileNotFound;
        return;
    }
    const QString section = sectionName(keyPath, *split);
    m_lastResult = moveOldSection(keyPath, *split) && m_store.setValue(section, valueName, text)
                       ? kSuccess
                       : kAccessDenied;
}

} // namespace telvora
