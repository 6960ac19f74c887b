// pelandra-saver: the screen saver on Linux. "/c" opens the settings dialog; anything
// else starts the show; "--watch" waits for the session to idle and starts the show then.
// The show starts this same program again as its picture decoder.
#include <cstdio>

#include "control/program.h"
#include "platform/qt/decoder_main.h"
#include "platform/qt/file_limit.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/session_bus.h"
#include "platform/qt/watch/watch_main.h"

int main(int argc, char** argv) {
    if (const auto status = pelandra::qt::decoderMain(argc, argv)) return *status;
    if (const auto tooFew = pelandra::qt::raiseFileLimit()) {
        std::fprintf(stderr, "%s\n", tooFew->c_str());
        return 1;
    }
    pelandra::qt::refuseBusAutolaunch();
    if (const auto status = pelandra::qt::watchMain(argc, argv)) return *status;
    pelandra::qt::QtPlatform platform(argc, argv);
    pelandra::Program program(platform);
    program.main();
    return platform.run();
}
