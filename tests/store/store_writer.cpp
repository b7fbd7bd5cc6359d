// Adds names and numbers to a phone book as fast as it can and prints the id of each
// name once its number is stored too, so a test can kill it at any moment and check
// that every printed name survived.
#include "store/PhoneBook.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    telvora::PhoneBook book;
    book.open(QString::fromLocal8Bit(argv[1]));
    if (!book.isWritable())
        return 3;
    for (int i = 0;; ++i) {
        const qint64 id = book.addName(QStringLiteral("Writer %1 ’Ä").arg(i), 0, 0);
        if (id == 0 ||
            book.addNumber(QStringLiteral("555-%1").arg(i), id, QStringLiteral("Phone")) == 0)
            return 4;
        std::printf("%lld\n", static_cast<long long>(id));
        std::fflush(stdout);
    }
}
