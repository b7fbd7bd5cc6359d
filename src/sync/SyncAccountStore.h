#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

namespace telvora {

// The address book the phone book syncs with, as the user set it up.
struct SyncSettings
{
    QUrl server;
    QString user;
    QString password;
    QUrl addressBook;
    // SHA-256 (hex) of a certificate the user accepted although the system does not trust it.
    QByteArray certificate;
    bool configured() const { return addressBook.isValid() && !addressBook.isEmpty(); }
};

// The settings in addressbook.json of the user's config folder ($TELVORA_HOME when set,
// else ~/.config/Telvora), readable by the user only. The password lives in the desktop's
// secret store while one runs, as SIP passwords do, else in the file.
class SyncAccountStore
{
public:
    static QString filePath();
    // The settings; the password comes later from the secret store when it is kept there,
    // through `password` (also called, at once, when it is in the file).
    static SyncSettings load(const std::function<void(const QString&)>& password);
    // False when the file could not be written.
    static bool save(const SyncSettings& settings);
};

} // namespace telvora
