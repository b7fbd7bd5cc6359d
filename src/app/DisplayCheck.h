#pragma once

#include <QtGlobal>

namespace telvora {

// Without a display Qt ends the process with abort() and the advice to reinstall the
// program, which sends a user looking in the wrong place. While an object of this class
// lives (around the construction of the application object), a failing platform ends
// the process with one clear line and exit status 1 instead; every other message is held
// and passed on when the object goes.
class DisplayCheck final
{
public:
    DisplayCheck();
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Whether the environment or the arguments name a display or a platform at all. When
    // none is named, Qt's default platform cannot start, so there is no need to try it.
    static bool displayNamed(int argc, char** argv);
    // The line printed when there is no display, with its newline.
    static const char* noDisplayLine();
};

} // namespace telvora
