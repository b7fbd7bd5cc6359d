#include "telephony/sip/SecretStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <qt6keychain/keychain.h>

namespace telvora {

namespace {

const QString service = QStringLiteral("Telvora lines");

} // namespace

bool SecretStore::running()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    for (const char* name : {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5",
                             "org.kde.kwalletd"}) {
        if (bus.interface()->isServiceRegistered(QString::fromLatin1(name)).value())
            return true;
    }
    return false;
}

void SecretStore::write(const QString& key, const QString& secret, std::function<void(bool)> done)
{
    auto* job = new QKeychain::WritePasswordJob(service);
    // Its own plain-text fallback would put the secret where we do not look for it.
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->setKey(key);
    job->setTextData(secret);
    QObject::connect(
        job, &QKeychain::Job::finished, job,
        [done = std::move(done)](QKeychain::Job* j) { done(j->error() == QKeychain::NoError); });
    job->start();
}

void SecretStore::read(const QString& key, std::function<void(std::optional<QString>)> done)
{
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, job,
                     [done = std::move(done)](QKeychain::Job* j) {
                         if (j->error() != QKeychain::NoError) {
                             done(std::nullopt);
                             return;
                         }
                         done(static_cast<QKeychain::ReadPasswordJob*>(j)->textData());
                     });
    job->start();
}

void SecretStore::remove(const QString& key)
{
    auto* job = new QKeychain::DeletePasswordJob(service);
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->setKey(key);
    job->start();
}

} // namespace telvora
