// Import and export of a large contact file, timed, with the process's peak memory.
//   telvora_bench_contacts write FILE.vcf NAMES   a file of NAMES cards with three numbers each
//   telvora_bench_contacts import BOOK FILE       imports FILE into BOOK (made when missing)
//   telvora_bench_contacts import-synced BOOK FILE  the same into a book that syncs with an
//                                                 address book: each name added is marked
//   telvora_bench_contacts export BOOK FILE       writes BOOK to FILE (.vcf or .csv)
#include "contacts/ContactExport.h"
#include "contacts/ContactImport.h"
#include "store/PhoneBook.h"
#include "sync/SyncState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <sys/resource.h>

using namespace telvora;

namespace {

long peakMegabytes()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

int writeCards(const QString& path, int names)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < names; ++i) {
        const QByteArray n = QByteArray::number(i);
        file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Name " + n + ";Given;;;\r\nFN:Given Name " + n +
                   "\r\nORG:Company " + n + "\r\nEMAIL:n" + n +
                   "@example.org\r\nCATEGORIES:Group " + QByteArray::number(i % 50) +
                   "\r\nTEL;TYPE=WORK:+49 30 " + n + "\r\nTEL;TYPE=CELL:+49 170 " + n +
                   "\r\nTEL;TYPE=HOME:+49 40 " + n + "\r\nNOTE:Note for " + n +
                   "\\nsecond line\r\nEND:VCARD\r\n");
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: telvora_bench_contacts write FILE NAMES | import[-synced] BOOK FILE | "
                   "export BOOK FILE\n",
                   stderr);
        return 2;
    }
    if (args[1] == QLatin1String("write"))
        return writeCards(args[2], args[3].toInt());
    PhoneBook book;
    book.open(args[2]);
    QElapsedTimer timer;
    timer.start();
    QString summary;
    // The sync's triggers, as a sync leaves them in the book; made before the clock starts.
    if (SyncState state(book);
        args[1] == QLatin1String("import-synced") &&
        !state.open(QUrl(QStringLiteral("https://dav.example/alice/contacts/")))) {
        std::fprintf(stderr, "%s\n", qPrintable(state.errorText()));
        return 1;
    }
    if (args[1].startsWith(QLatin1String("import"))) {
        ContactImport import(book);
        if (!import.importFile(args[3])) {
            std::fprintf(stderr, "%s\n", qPrintable(import.errorText()));
            return 1;
        }
        summary = import.summary();
    } else {
        QFile::remove(args[3]);
        ContactExport exporter(book);
        if (!exporter.exportFile(args[3])) {
            std::fprintf(stderr, "%s\n", qPrintable(exporter.errorText()));
            return 1;
        }
        summary = exporter.summary();
    }
    std::printf("%s in %lld ms, peak memory %ld MB\n", qPrintable(summary),
                static_cast<long long>(timer.elapsed()), peakMegabytes());
    return 0;
}
