#include "editing/ContactFileCommands.h"

#include "contacts/ContactExport.h"
#include "editing/CsvMappingDialog.h"
#include "editing/EditContext.h"
#include "store/PhoneBook.h"
#include "ui/FileChooser.h"
#include "ui/IdListBox.h"
#include "ui/Prompt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace telvora {

namespace {
constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 400;
constexpr int kProgressTickMs = 100;

QString filter()
{
    return ContactFileCommands::tr(
        "Contacts (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv)");
}
} // namespace

ContactFileCommands::ContactFileCommands(EditContext& context, FileChooser& chooser,
                                         QWidget* dialogParent)
    : m_context(context), m_chooser(&chooser), m_dialogParent(dialogParent)
{
    m_mapper = [dialogParent](const QStringList& headers,
                              const QList<ContactMapping::Target>& targets) {
        CsvMappingDialog dialog(headers, targets, dialogParent);
        return dialog.exec() == QDialog::Accepted ? dialog.targets() : targets;
    };
}

bool ContactFileCommands::isContactFile(const QString& path)
{
    return ContactImport::isVCardFile(path) || ContactImport::isCsvFile(path);
}

ContactFileCommands::Outcome ContactFileCommands::importInBackground(const QString& path,
                                                                     const QString& group)
{
    // The import has a connection of its own on another thread, so the window goes on
    // drawing, dialling and answering while a large file is read; the progress dialog keeps
    // the user from changing the book meanwhile, and can stop the import, which then adds nothing.
    const qint64 size = std::max<qint64>(QFileInfo(path).size(), 1);
    std::atomic<qint64> bytesRead{0};
    std::atomic_bool cancelled{false};
    Outcome outcome;
    const QString bookPath = m_context.book().filePath();
    // Unknown CSV columns are still offered on the window's own thread.
    const ContactImport::ColumnMapper mapper = m_mapper;
    QObject* guiThread = qApp;
    const ContactImport::ColumnMapper mapOnGuiThread =
        [&](const QStringList& headers, const QList<ContactMapping::Target>& targets) {
            QList<ContactMapping::Target> mapped = targets;
            if (mapper)
                QMetaObject::invokeMethod(
                    guiThread, [&] { mapped = mapper(headers, targets); },
                    Qt::BlockingQueuedConnection);
            return mapped;
        };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        PhoneBook book;
        book.open(bookPath);
        if (!book.isWritable()) {
            outcome.text = book.errorText();
            return;
        }
        ContactImport import(book);
        import.setGroup(group);
        import.setProgress([&](qint64 bytes) {
            bytesRead = bytes;
        return !cancelled;
        });
        outcome.done = import.importFile(path, mapOnGuiThread);
        outcome.text = outcome.done ? import.summary() : import.errorText();
}));
QProgressDialog progress(tr("Importing %1...").arg(QFileInfo(path).fileName()), tr("Cancel"), 0,
                         kProgressSteps, m_dialogParent);
progress.setWindowModality(Qt::WindowModal);
progress.setMinimumDuration(kProgressDelayMs);
progress.setAutoReset(false);
m_cancelImport = [&] {
    cancelled = true;
};
QObject::connect(&progress, &QProgressDialog::canceled, [&] { cancelled = true; });
QTimer tick;
QObject::connect(&tick, &QTimer::timeout, [&] {
    progress.setValue(int(std::min<qint64>(bytesRead * kProgressSteps / size, kProgressSteps - 1)));
});
tick.start(kProgressTickMs);
QEventLoop waiting;
QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
worker->start();
waiting.exec();
worker->wait();
m_cancelImport = nullptr;
return outcome;
}

void ContactFileCommands::cancelImport()
{
    if (m_cancelImport)
        m_cancelImport();
}

bool ContactFileCommands::importFile(const QString& path, const QString& group)
{
    const auto [done, text] = importInBackground(path, group);
    // New groups may come before the selected one.
    m_context.window().reloadLists();
    if (done)
        m_context.prompt().messageBox(text, Prompt::Buttons::Ok, Prompt::Icon::Information);
    else
        m_context.prompt().messageBox(
            tr("Nothing was imported from %1.\n%2").arg(QFileInfo(path).fileName(), text),
            Prompt::Buttons::Ok, Prompt::Icon::Critical);
    return done;
}

void ContactFileCommands::ImportGroups()
{
    const QString path = m_chooser->openFileName(tr("Import"), filter());
    if (!path.isEmpty())
        importFile(path, QString());
}

void ContactFileCommands::ImportNames()
{
    const QString path = m_chooser->openFileName(tr("Import"), filter());
    if (path.isEmpty())
        return;
    const qint64 group = m_context.currentGroupId();
    importFile(path, group > 0 ? m_context.book().groupName(group).value_or(QString()) : QString());
}

void ContactFileCommands::ExportGroup()
{
    const qint64 group = m_context.currentGroupId();
    exportTo(group > 0 ? std::optional<qint64>(group) : std::nullopt, {});
}

void ContactFileCommands::ExportNames()
{
    const IdListBox& list = m_context.window().namesList();
    QList<qint64> names;
    for (const int index : list.selectedItems())
        if (isRowId(list.itemData(index)))
            names << list.itemData(index);
    if (names.isEmpty()) {
        m_context.prompt().beep();
        return;
    }
    exportTo(std::nullopt, names);
}

void ContactFileCommands::exportTo(std::optional<qint64> group, const QList<qint64>& names)
{
    const QStringList kinds{tr("vCard 4.0 (*.vcf *.vcard)"), tr("vCard 3.0 (*.vcf *.vcard)"),
                            tr("CSV (*.csv)")};
    QString kind;
    QString path = m_chooser->saveFileName(tr("Export"), kinds.join(QStringLiteral(";;")), &kind);
    if (path.isEmpty())
        return;
    // Older phones and address books read only vCard 3.0; which one is written is the
    // user's choice of file type.
    const bool vcard3 = kind == kinds[1];
    if (QFileInfo(path).suffix().isEmpty())
        path += kind == kinds[2] ? QStringLiteral(".csv") : QStringLiteral(".vcf");
    if (QFileInfo::exists(path) &&
        m_context.prompt().messageBox(
            tr("%1 exists already. Do you want to replace it?").arg(QFileInfo(path).fileName()),
            Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    ContactExport exporter(m_context.book());
    if (exporter.exportFile(path, group, names, vcard3))
        m_context.prompt().messageBox(exporter.summary(), Prompt::Buttons::Ok,
                                      Prompt::Icon::Information);
    else
        m_context.prompt().messageBox(exporter.errorText(), Prompt::Buttons::Ok,
                                      Prompt::Icon::Critical);
}

} // namespace telvora
