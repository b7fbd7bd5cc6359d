#pragma once

#include "sync/DavClient.h"
#include "sync/SyncAccountStore.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace telvora {

class DavClient;
class Prompt;
class SyncService;

// "Address book server...": the server, the user and password, and the address book to sync
// with, chosen from those the server offers; the sync's status and "Sync now". A certificate
// the system does not trust is used only once the user accepted its SHA-256 fingerprint.
class AddressBookDialog final : public QDialog
{
    Q_OBJECT

public:
    AddressBookDialog(SyncService& sync, Prompt& prompt, QWidget* parent = nullptr);

    QLineEdit* serverEdit = nullptr;
    QLineEdit* userEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    QPushButton* findButton = nullptr;
    QComboBox* bookBox = nullptr;
    QLabel* statusLabel = nullptr;
    QPushButton* syncButton = nullptr;
    QPushButton* okButton = nullptr;

    // Asks the server for the user's address books and lists them.
    void findBooks();
    // Stores the settings and syncs with the chosen book.
    void accept() override;

private:
    DavAccount account() const;

    SyncService& m_sync;
    Prompt& m_prompt;
    QByteArray m_certificate;
    QPointer<DavClient> m_client;
};

} // namespace telvora
