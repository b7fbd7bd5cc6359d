#pragma once

#include "numbers/PhoneLink.h"

#include <QCoreApplication>
#include <QStringList>
#include <optional>

namespace telvora {

// What the program is asked on its command line: a link or a number to show or dial, and
// the data folder. Reading it needs no display, so --help, --version and mistakes are
// answered before any window could open.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(telvora::CommandLine)

public:
    // The exit status, when the program ends here: 0 after --help or --version (output()
    // holds what to print), 2 after a mistake (error() holds the one line that says it).
    std::optional<int> parse(const QStringList& arguments);

    const QString& output() const { return m_output; }
    const QString& error() const { return m_error; }
    // The folder --home names, made absolute; empty when not given.
    const QString& home() const { return m_home; }
    const std::optional<PhoneLink>& link() const { return m_link; }
    // --dial: the run starts without waiting for Enter.
    bool dialNow() const { return m_dialNow; }
    // --import FILE or --export FILE (made absolute), with --group NAME: the program does
    // that, prints what it did and ends, without a window.
    struct ContactFile
    {
        bool import = true;
        QString path;
        QString group;
        // An export to .vcf writes vCard 3.0 instead of 4.0.
        bool vcard3 = false;
    };
    const std::optional<ContactFile>& contactFile() const { return m_contactFile; }

private:
    QString m_output;
    QString m_error;
    QString m_home;
    std::optional<PhoneLink> m_link;
    bool m_dialNow = false;
    std::optional<ContactFile> m_contactFile;
};

} // namespace telvora
