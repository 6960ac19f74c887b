// The sanitizer build's leak check on the program's orderly exits. The program ends through
// _Exit, which skips the check LeakSanitizer makes when a process exits normally; without
// this a clean sanitizer run would say nothing about leaks.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELANDRA_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PELANDRA_LEAK_CHECK 1
#endif

#ifdef PELANDRA_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace pelandra::qt {

// Reports any leak and ends the process with LeakSanitizer's failure status when there is
// one; does nothing in other builds.
inline void checkForLeaks() {
#ifdef PELANDRA_LEAK_CHECK
    __lsan_do_leak_check();
#endif
}

}  // namespace pelandra::qt
