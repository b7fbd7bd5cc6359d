#include "app/ContactCommand.h"

#include "app/DataFolder.h"
#include "app/SingleInstance.h"
#include "contacts/ContactExport.h"
#include "contacts/ContactImport.h"
#include "store/PhoneBook.h"

#include <QFileInfo>
#include <cstdio>

namespace telvora {

namespace {
int failed(const QString& why)
{
    std::fprintf(stderr, "telvora: %s\n", qPrintable(why));
    return 1;
}
} // namespace

int ContactCommand::run(const CommandLine::ContactFile& request)
{
    QString error;
    if (!DataFolder::enter(&error))
        return failed(error);
    PhoneBook book;
    book.open(QStringLiteral("data.mdb"));
    if (!book.isOpen() || (request.import && !book.isWritable()))
        return failed(tr("the phone book cannot be used: %1").arg(book.errorText()));
    QString summary;
    if (request.import) {
        ContactImport import(book);
        import.setGroup(request.group);
        if (!import.importFile(request.path))
            return failed(import.errorText());
        summary = import.summary();
    } else {
        // Nobody is there to ask, so an existing file is never replaced from here.
        if (QFileInfo::exists(request.path))
            return failed(tr("%1 exists already; give a new file name").arg(request.path));
        std::optional<qint64> group;
        if (!request.group.isEmpty()) {
            // The first group of the name that can hold names, as an import files them.
            for (const ListRow& row : book.groups())
                if (row.text == request.group && isRowId(row.id) && !group)
                    group = row.id;
            if (!group)
                return failed(tr("the phone book has no group %1").arg(request.group));
        }
        ContactExport exporter(book);
        if (!exporter.exportFile(request.path, group, {}, request.vcard3))
            return failed(exporter.errorText());
        summary = exporter.summary();
    }
    std::printf("%s\n", qPrintable(summary));
    std::fflush(stdout);
    if (request.import) {
        SingleInstance running(SingleInstance::keyFor(DataFolder::path()));
        running.setReloadHandOver();
        running.claim();
    }
    return 0;
}

} // namespace telvora
