#pragma once

#include "app/CommandLine.h"

#include <QCoreApplication>

namespace telvora {

// --import and --export: works on the phone book of the data folder without a window, prints
// "Imported N names and M numbers" or "Exported N names and M numbers", and tells a window
// running on the same folder to show its lists anew. The exit status: 0 when done, 1 when
// the file or the book could not be used (the message names the card or line at fault).
class ContactCommand
{
    Q_DECLARE_TR_FUNCTIONS(telvora::ContactCommand)

public:
    static int run(const CommandLine::ContactFile& request);
};

} // namespace telvora
