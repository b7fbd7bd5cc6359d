#include "telephony/sip/SipAccountStore.h"

#include "common/PrivateFiles.h"
#include "telephony/sip/SecretStore.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace telvora {

namespace {

QString transportName(SipAccount::Transport transport)
{
    switch (transport) {
    case SipAccount::Transport::Tcp:
        return QStringLiteral("tcp");
    case SipAccount::Transport::Tls:
        return QStringLiteral("tls");
    case SipAccount::Transport::Udp:
        break;
    }
    return QStringLiteral("udp");
}

SipAccount::Transport transportFrom(const QString& name)
{
    if (name.compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0)
        return SipAccount::Transport::Tcp;
    if (name.compare(QLatin1String("tls"), Qt::CaseInsensitive) == 0)
        return SipAccount::Transport::Tls;
    return SipAccount::Transport::Udp;
}

} // namespace

QString SipAccountStore::filePath()
{
    return configFile(QStringLiteral("lines.json"));
}

QList<SipAccount> SipAccountStore::load()
{
    QList<SipAccount> accounts;
    m_inKeychain.clear();
    const QFileInfo info(filePath());
    m_loadedStamp = info.exists() ? info.lastModified() : QDateTime();
    m_loadedSize = info.exists() ? info.size() : -1;
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return accounts;
    const QJsonArray list =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("sip")).toArray();
    for (const QJsonValue& value : list) {
        const QJsonObject o = value.toObject();
        SipAccount account;
        account.id = o.value(QLatin1String("id")).toString();
        if (account.id.isEmpty())
            continue;
        account.displayName = o.value(QLatin1String("display_name")).toString();
        account.server = o.value(QLatin1String("server")).toString();
        account.user = o.value(QLatin1String("user")).toString();
        account.password = o.value(QLatin1String("password")).toString();
        account.transport = transportFrom(o.value(QLatin1String("transport")).toString());
        account.outboundProxy = o.value(QLatin1String("outbound_proxy")).toString();
        account.registerEnabled = o.value(QLatin1String("register")).toBool(true);
        account.nationalNumbers = o.value(QLatin1String("national_numbers")).toBool(false);
        account.responseTimeoutSecs =
            qBound(1, o.value(QLatin1String("response_timeout")).toInt(10), 120);
        account.tonesAsInfo = o.value(QLatin1String("tones")).toString() == QLatin1String("info");
        if (o.value(QLatin1String("password_in_keychain")).toBool())
            m_inKeychain.append(account.id);
        accounts.append(account);
    }
    return accounts;
}

bool SipAccountStore::changedOnDisk() const
{
    const QFileInfo info(filePath());
    if (!info.exists())
        return m_loadedSize != -1;
    return info.lastModified() != m_loadedStamp || info.size() != m_loadedSize;
}

bool SipAccountStore::passwordInKeychain(const QString& accountId) const
{
    return m_inKeychain.contains(accountId);
}

QString SipAccountStore::keychainKey(const QString& accountId)
{
    return QLatin1String("sip/") + accountId;
}

bool SipAccountStore::write(const QList<SipAccount>& accounts, const QStringList& inKeychain)
{
    QJsonArray list;
    for (const SipAccount& account : accounts) {
        QJsonObject o;
        o.insert(QLatin1String("id"), account.id);
        o.insert(QLatin1String("display_name"), account.displayName);
        o.insert(QLatin1String("server"), account.server);
        o.insert(QLatin1String("user"), account.user);
        if (inKeychain.contains(account.id))
            o.insert(QLatin1String("password_in_keychain"), true);
        else
            o.insert(QLatin1String("password"), account.password);
        o.insert(QLatin1String("transport"), transportName(account.transport));
        o.insert(QLatin1String("outbound_proxy"), account.outboundProxy);
        o.insert(QLatin1String("register"), account.registerEnabled);
        o.insert(QLatin1String("national_numbers"), account.nationalNumbers);
        o.insert(QLatin1String("response_timeout"), account.responseTimeoutSecs);
        o.insert(QLatin1String("tones"),
                 account.tonesAsInfo ? QLatin1String("info") : QLatin1String("rtp"));
        list.append(o);
    }
    QJsonObject root;
    root.insert(QLatin1String("sip"), list);

    const QString path = filePath();
    if (!writePrivateFile(path, QJsonDocument(root).toJson()))
        return false;
    const QFileInfo info(path);
    m_loadedStamp = info.lastModified();
    m_loadedSize = info.size();
    m_inKeychain = inKeychain;
    return true;
}

bool SipAccountStore::save(const QList<SipAccount>& accounts)
{
    // While a secret store runs, a new password goes to it and never into the file; the file
    // gets it only if the store refuses it, as it would without a store.
    const bool secretStore = SecretStore::running();
    QList<SipAccount> toFile = accounts;
    QList<SipAccount> moving;
    QStringList kept;
    for (SipAccount& account : toFile) {
        if (account.password.isEmpty()) {
            if (m_inKeychain.contains(account.id))
                kept.append(account.id);
        } else if (secretStore) {
            moving.append(account);
            account.password.clear();
        }
    }
    if (!write(toFile, kept))
        return false;
    for (const SipAccount& account : std::as_const(moving)) {
        const QString id = account.id;
        const QString password = account.password;
        SecretStore::write(keychainKey(id), password, [this, id, password](bool stored) {
            QList<SipAccount> current = load();
            QStringList inKeychain = m_inKeychain;
            bool present = false;
            for (SipAccount& a : current) {
                if (a.id != id)
                    continue;
                present = true;
                if (stored && !inKeychain.contains(id))
                    inKeychain.append(id);
                else if (!stored)
                    a.password = password;
            }
            if (present)
                write(current, inKeychain);
        });
    }
    return true;
}

} // namespace telvora
