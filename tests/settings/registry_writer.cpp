// Rewrites one settings file as fast as it can and prints each round it finished, so a
// test can kill it at any moment and check the file is always whole.
#include "settings/IniStore.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    telvora::IniStore store(QString::fromLocal8Bit(argv[1]));
    store.createKey(QStringLiteral("HKEY_CURRENT_USER\\Soak"));
    for (int round = 0;; ++round) {
        // Both values carry the round: a file cut halfway would show them apart.
        const QString text = QStringLiteral("%1:").arg(round) + QString(2000, QLatin1Char('x'));
        if (!store.setValue(QStringLiteral("HKEY_CURRENT_USER\\Soak"), QStringLiteral("round"),
                            text))
            return 3;
        std::printf("%d\n", round);
        std::fflush(stdout);
    }
}
