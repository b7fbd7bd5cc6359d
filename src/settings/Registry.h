#pragma once

#include "settings/IniStore.h"

#include <QString>
#include <optional>

namespace telvora {

class Prompt;

// String values by full key path ("HKEY_CURRENT_CONFIG\System\...\Telvora") and value
// name, kept in an INI file: the program's settings store. The file names each key by a
// plain section (sectionName); a section named by the whole key path, as older files
// have them, is still read, and is moved to the plain name the first time the key is
// written. Reads and writes follow the
// conventions its callers rely on: "Error" for what cannot be read, a write to a missing
// key changing nothing, leading blanks dropped on reading, at most 254 characters read.
class Registry
{
public:
    // Root handles, as the key paths name them.
    enum RootKey : quint32
    {
        NoRoot = 0,
        HKEY_CLASSES_ROOT = 0x80000000,
        HKEY_CURRENT_USER,
        HKEY_LOCAL_MACHINE,
        HKEY_USERS,
        HKEY_PERFORMANCE_DATA,
        HKEY_CURRENT_CONFIG,
        HKEY_DYN_DATA,
    };
    // Result codes kept in LastRegistryResult.
    static constexpr qint32 kSuccess = 0;
    static constexpr qint32 kFileNotFound = 2;
    static constexpr qint32 kAccessDenied = 5;
    static constexpr qint32 kMoreData = 234;
    // The longest value a read gives back whole.
    static constexpr int kLongestValue = 254;

    // A path format error is told through the prompt.
    Registry(QString iniPath, Prompt& prompt);

    // The INI file the settings live in: registry.ini under $TELVORA_HOME when it is
    // set, else in the user's configuration folder for Telvora.
    static QString defaultPath();

    static RootKey RootKeyFromName(const QString& name);
    struct Split
    {
        RootKey root = NoRoot;
        QString subKey;
    };
    // Nothing, after telling the user, when the path is not of the form "HKEY_...".
    std::optional<Split> SplitKeyPath(const QString& keyPath);

    QString ReadRegistryString(const QString& keyPath, const QString& valueName);
    static QString CleanRegistryText(const QString& text);
    void CreateRegistryKey(const QString& keyPath);
    void WriteRegistryString(const QString& keyPath, const QString& valueName, const QString& text);

    // The section a key path is kept under: "settings" for the program's own key, else
    // the root in plain words and the sub-keys joined by "/" ("current-user/Soft/Key").
    static QString sectionName(const QString& keyPath, const Split& split);

    qint32 LastRegistryResult() const { return m_lastResult; }
    IniStore& store() { return m_store; }

private:
    // The section to read: the plain one, else the old one named by the key path when
    // only that exists.
    QString sectionToRead(const QString& keyPath, const Split& split) const;
    // Moves an old section to its plain name before the key is written; false when the
    // file cannot be written.
    bool moveOldSection(const QString& keyPath, const Split& split);
    // A root key always exists.
    bool keyExists(const QString& section, const Split& split) const;

    IniStore m_store;
    Prompt& m_prompt;
    qint32 m_lastResult = kSuccess;
};

} // namespace telvora
