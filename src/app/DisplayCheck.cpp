#include "app/DisplayCheck.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace telvora {

namespace {

struct HeldMessage
{
    QtMsgType type;
    // Qt passes literals for these, which outlive the object.
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QList<HeldMessage>* held = nullptr;
QtMessageHandler previousHandler = nullptr;

// Gives the messages held so far to Qt's own output, in the order they came, and puts
// back the handler that was there before.
void releaseHeld()
{
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& message : *held)
        qt_message_output(
            message.type,
            QMessageLogContext(message.file, message.line, message.function, message.category),
            message.text);
    held->clear();
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        std::fputs(DisplayCheck::noDisplayLine(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (type == QtFatalMsg) {
        // Not ours to explain: let the messages out in order, and Qt end the process.
        releaseHeld();
        qt_message_output(type, context, text);
        return;
    }
    held->append({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

DisplayCheck::DisplayCheck()
{
    held = new QList<HeldMessage>;
    previousHandler = qInstallMessageHandler(holdMessage);
}

DisplayCheck::~DisplayCheck()
{
    releaseHeld();
    delete held;
    held = nullptr;
}

bool DisplayCheck::displayNamed(int argc, char** argv)
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
            std::strcmp(argv[i], "-display") == 0 || std::strcmp(argv[i], "--display") == 0)
            return true;
    }
    return false;
}

const char* DisplayCheck::noDisplayLine()
{
    return "Telvora needs a graphical desktop: no display found\n";
}

} // namespace telvora
