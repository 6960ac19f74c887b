// pelandra-saver: the screen saver on Linux. "/c" opens the settings dialog; anything
// else starts the show.
#include "control/program.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
    pelandra::qt::QtPlatform platform(argc, argv);
    pelandra::Program program(platform);
    program.main();
    return platform.run();
}
