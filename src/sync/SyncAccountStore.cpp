#include "sync/SyncAccountStore.h"

#include "common/PrivateFiles.h"
#include "telephony/sip/SecretStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace telvora {

namespace {

const QString kKeychainKey = QStringLiteral("addressbook/password");

bool writeFile(const SyncSettings& settings, bool passwordInKeychain)
{
    QJsonObject o;
    o.insert(QLatin1String("server"), settings.server.toString(QUrl::FullyEncoded));
    o.insert(QLatin1String("user"), settings.user);
    o.insert(QLatin1String("address_book"), settings.addressBook.toString(QUrl::FullyEncoded));
    o.insert(QLatin1String("certificate"), QString::fromLatin1(settings.certificate));
    if (passwordInKeychain)
        o.insert(QLatin1String("password_in_keychain"), true);
    else
        o.insert(QLatin1String("password"), settings.password);
    return writePrivateFile(SyncAccountStore::filePath(), QJsonDocument(o).toJson());
}

} // namespace

QString SyncAccountStore::filePath()
{
    return configFile(QStringLiteral("addressbook.json"));
}

SyncSettings SyncAccountStore::load(const std::function<void(const QString&)>& password)
{
    SyncSettings settings;
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
        return settings;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    settings.server = QUrl(o.value(QLatin1String("server")).toString(), QUrl::StrictMode);
    settings.user = o.value(QLatin1String("user")).toString();
    settings.addressBook =
        QUrl(o.value(QLatin1String("address_book")).toString(), QUrl::StrictMode);
    settings.certificate = o.value(QLatin1String("certificate")).toString().toLatin1();
    // The book must be on the server the password belongs to.
    if (settings.addressBook.scheme() != settings.server.scheme() ||
        settings.addressBook.host() != settings.server.host() ||
        settings.addressBook.port() != settings.server.port())
        settings.addressBook.clear();
    if (o.value(QLatin1String("password_in_keychain")).toBool()) {
        if (SecretStore::running())
            SecretStore::read(kKeychainKey, [password](std::optional<QString> secret) {
                password(secret.value_or(QString()));
            });
    } else {
        settings.password = o.value(QLatin1String("password")).toString();
        password(settings.password);
    }
    return settings;
}

bool SyncAccountStore::save(const SyncSettings& settings)
{
    if (!SecretStore::running())
        return writeFile(settings, false);
    SyncSettings withoutPassword = settings;
    withoutPassword.password.clear();
    if (!writeFile(withoutPassword, true))
        return false;
    // Should the store refuse it, the password goes into the file after all, as it would
    // without a store.
    SecretStore::write(kKeychainKey, settings.password, [settings](bool stored) {
        if (!stored)
            writeFile(settings, false);
    });
    return true;
}

} // namespace telvora
