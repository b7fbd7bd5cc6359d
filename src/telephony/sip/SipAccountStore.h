#pragma once

#include "telephony/sip/SipAccount.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace telvora {

// The SIP accounts in the line service's own file, lines.json in the user's config folder
// ($TELVORA_HOME when set, else ~/.config/Telvora). The file is readable by the user only.
// A password lives in the desktop's secret store when one runs (the file then only says so),
// else in the file.
class SipAccountStore
{
public:
    static QString filePath();

    // The accounts as the file has them; a password kept in the secret store is empty here
    // and keychainKey() names it.
    QList<SipAccount> load();
    // True when the file changed since the last load or save.
    bool changedOnDisk() const;
    // Writes every account. While a secret store runs, new passwords go to it and the file
    // only says so once it has them (or takes a password it refused); otherwise passwords
    // stay in the file. False when the file could not be written.
    bool save(const QList<SipAccount>& accounts);

    bool passwordInKeychain(const QString& accountId) const;
    static QString keychainKey(const QString& accountId);

private:
    bool write(const QList<SipAccount>& accounts, const QStringList& inKeychain);

    QDateTime m_loadedStamp;
    qint64 m_loadedSize = -1;
    QStringList m_inKeychain;
};

} // namespace telvora
