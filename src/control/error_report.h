#pragma once

#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace pelandra {

// The text of the report for a failure no handler catches.
Text runtimeErrorText(const RuntimeError& error);

// Shows the report in a message box and on the console, then ends the process with
// status 1, leaving the pointer visible.
[[noreturn]] void reportRuntimeError(Platform& platform, const RuntimeError& error);

}  // namespace pelandra
