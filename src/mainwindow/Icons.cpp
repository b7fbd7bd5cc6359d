#include "mainwindow/Icons.h"

namespace telvora::icons {

namespace {
QIcon themed(const char* themeName, const char* file)
{
    const QIcon own(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(file)));
    return QIcon::fromTheme(QLatin1String(themeName), own);
}
} // namespace

QIcon application()
{
    return QIcon(QStringLiteral(":/icons/telvora.svg"));
}
QIcon tray()
{
    return QIcon::fromTheme(QStringLiteral("telvora-symbolic"), application());
}
QIcon add()
{
    return themed("list-add", "add");
}
QIcon addSub()
{
    return themed("contact-new", "add-sub");
}
QIcon edit()
{
    return themed("document-edit", "edit");
}
QIcon remove()
{
    return themed("edit-delete", "delete");
}
QIcon copy()
{
    return themed("edit-copy", "copy");
}
QIcon cut()
{
    return themed("edit-cut", "cut");
}
QIcon paste()
{
    return themed("edit-paste", "paste");
}
QIcon dial()
{
    return themed("call-start", "dial");
}
QIcon hangUp()
{
    return themed("call-stop", "hangup");
}
QIcon mail()
{
    return themed("mail-send", "mail");
}
QIcon web()
{
    return themed("applications-internet", "web");
}
// Speed dials have no theme names of their own; our drawings keep them recognisable.
QIcon speedAdd()
{
    return QIcon(QStringLiteral(":/icons/speed-add.svg"));
}
QIcon speedEdit()
{
    return QIcon(QStringLiteral(":/icons/speed-edit.svg"));
}
QIcon speedDelete()
{
    return QIcon(QStringLiteral(":/icons/speed-delete.svg"));
}
QIcon speedList()
{
    return QIcon(QStringLiteral(":/icons/speed-list.svg"));
}
QIcon clear()
{
    return themed("edit-clear", "clear");
}

} // namespace telvora::icons
