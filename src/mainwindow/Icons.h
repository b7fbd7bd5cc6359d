#pragma once

#include <QIcon>

// Icons come from the desktop's icon theme where it has them, so the window fits the
// desktop, and from the program's own drawings everywhere else.
namespace telvora::icons {

QIcon application();
// The tray's: the installed symbolic icon, which a desktop draws in its panel's colours, by
// name; the full-colour one where the theme has no symbolic one.
QIcon tray();
QIcon add();
QIcon addSub();
QIcon edit();
QIcon remove();
QIcon copy();
QIcon cut();
QIcon paste();
QIcon dial();
QIcon hangUp();
QIcon mail();
QIcon web();
QIcon speedAdd();
QIcon speedEdit();
QIcon speedDelete();
QIcon speedList();
QIcon clear();

} // namespace telvora::icons
