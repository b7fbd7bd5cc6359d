#include "sync/AddressBookDialog.h"

#include "sync/DavClient.h"
#include "sync/SyncService.h"
#include "ui/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvora {

AddressBookDialog::AddressBookDialog(SyncService& sync, Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_sync(sync), m_prompt(prompt)
{
    setObjectName(QStringLiteral("AddressBookDialog"));
    setWindowTitle(tr("Address Book Server"));
    const SyncSettings& settings = sync.settings();
    m_certificate = settings.certificate;

    serverEdit = new QLineEdit(settings.server.toString(), this);
    serverEdit->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
    userEdit = new QLineEdit(settings.user, this);
    passwordEdit = new QLineEdit(settings.password, this);
    passwordEdit->setEchoMode(QLineEdit::Password);
    findButton = new QPushButton(tr("&Find address books"), this);
    bookBox = new QComboBox(this);
    if (settings.configured())
        bookBox->addItem(settings.addressBook.toString(), settings.addressBook);
    statusLabel = new QLabel(sync.statusText(), this);
    statusLabel->setWordWrap(true);
    syncButton = new QPushButton(tr("Sync &now"), this);
    syncButton->setEnabled(settings.configured());

    auto* form = new QFormLayout;
    form->addRow(tr("&Server address:"), serverEdit);
    form->addRow(tr("&User:"), userEdit);
    form->addRow(tr("&Password:"), passwordEdit);
    form->addRow(QString(), findButton);
    form->addRow(tr("&Address book:"), bookBox);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(statusLabel, 1);
    statusRow->addWidget(syncButton);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setEnabled(bookBox->count() > 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(statusRow);
    layout->addWidget(buttons);

    connect(findButton, &QPushButton::clicked, this, &AddressBookDialog::findBooks);
    connect(syncButton, &QPushButton::clicked, &m_sync, &SyncService::syncNow);
    connect(&m_sync, &SyncService::statusChanged, statusLabel, &QLabel::setText);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddressBookDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

DavAccount AddressBookDialog::account() const
{
    return {QUrl::fromUserInput(serverEdit->text().trimmed()), userEdit->text(),
            passwordEdit->text(), m_certificate};
}

void AddressBookDialog::findBooks()
{
    if (m_client)
        m_client->deleteLater();
    m_client = new DavClient(account(), this);
    findButton->setEnabled(false);
    statusLabel->setText(tr("Looking for address books..."));
    QPointer<DavClient> client = m_client;
    m_client->discover([this, client](const DavError& error, const QList<DavAddressBook>& books) {
        if (client != m_client)
            return;
        m_client->deleteLater();
        findButton->setEnabled(true);
        if (error.kind == DavError::Kind::Certificate && !error.certificateFingerprint.isEmpty()) {
            const bool changed = !m_certificate.isEmpty();
            const QString question =
                (changed ? tr("The server's certificate has changed since you accepted it.")
                         : tr("The server's certificate is not trusted by this system.")) +
                QStringLiteral("\n\n") +
                tr("SHA-256 fingerprint:\n%1\n\nTrust this certificate for this server?")
                    .arg(DavError::fingerprintText(error.certificateFingerprint));
            if (m_prompt.messageBox(question, Prompt::Buttons::YesNo, Prompt::Icon::Warning,
                                    windowTitle()) == Prompt::Answer::Yes) {
                m_certificate = error.certificateFingerprint;
                findBooks();
                return;
            }
        }
        if (!error.ok()) {
            statusLabel->setText(error.message());
            return;
        }
        bookBox->clear();
        for (const DavAddressBook& book : books)
            bookBox->addItem(book.displayName.isEmpty()
                                 ? book.url.toString()
                                 : tr("%1 (%2)").arg(book.displayName, book.url.path()),
                             book.url);
        okButton->setEnabled(bookBox->count() > 0);
        statusLabel->setText(books.isEmpty() ? tr("The server offers no address book.")
                                             : tr("Choose the address book to sync with."));
    });
}

void AddressBookDialog::accept()
{
    const DavAccount chosen = account();
    SyncSettings settings{chosen.server, chosen.user, chosen.password,
                          bookBox->currentData().toUrl(), m_certificate};
    if (!SyncAccountStore::save(settings)) {
        m_prompt.messageBox(
            tr("The settings could not be saved to \"%1\".").arg(SyncAccountStore::filePath()),
            Prompt::Buttons::Ok, Prompt::Icon::Critical, windowTitle());
        return;
    }
    m_sync.configure(settings);
    QDialog::accept();
}

} // namespace telvora
