#include "control/command_line.h"

namespace pelandra {

bool isSettingsMode(TextView commandLine) { return commandLine.substr(0, 2) == u"/c"; }

}  // namespace pelandra
