// pelandra-saver: the screen saver on Linux. "/c" opens the settings dialog; anything
// else starts the show; "--watch" waits for the session to idle and starts the show then.
// The show decodes its photos in a program of its own, pelandra-picture-decoder.
#include <cstdio>

#include "platform/linux/session/file_limit.h"
#include "platform/linux/session/session_bus.h"
#include "platform/linux/session/watch_main.h"
#include "platform/qt/qt_platform.h"
#include "program/program.h"

int main(int argc, char** argv) {
    if (const auto tooFew = pelandra::qt::raiseFileLimit()) {
        std::fprintf(stderr, "%s\n", tooFew->c_str());
        return 1;
    }
    pelandra::qt::refuseBusAutolaunch();
    if (const auto status = pelandra::qt::watchMain(argc, argv)) return *status;
    pelandra::qt::QtPlatform platform(argc, argv);
    platform.endWithDesktopLock();
    pelandra::Program program(platform);
    program.main();
    return platform.run();
}
