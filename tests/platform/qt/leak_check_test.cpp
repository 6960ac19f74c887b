// The sanitizer build checks for leaks on the program's orderly end, which skips the check
// at a normal exit.
#include "platform/qt/leak_check.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "platform/qt/qt_platform.h"

namespace pelandra::qt {
namespace {

#ifdef PELANDRA_LEAK_CHECK

int argc = 1;
char program[] = "pelandra-saver";
char* argv[] = {program, nullptr};

void* volatile lastBlock = nullptr;

[[gnu::noinline]] void loseABlock() {
    lastBlock = std::malloc(4096);
    lastBlock = nullptr;
}

TEST(LeakCheckDeathTest, TheOrderlyEndReportsALeakAndFails) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QtPlatform platform{argc, argv};
    EXPECT_EXIT(
        {
            loseABlock();
            platform.endProcess(0);
        },
        [](int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; },
        "LeakSanitizer: detected memory leaks");
    EXPECT_EXIT(platform.endProcess(0), ::testing::ExitedWithCode(0), "");
}

#else

TEST(LeakCheckDeathTest, TheOrderlyEndReportsALeakAndFails) {
    GTEST_SKIP() << "only the sanitizer build checks for leaks";
}

#endif

}  // namespace
}  // namespace pelandra::qt
