// Screen savers that already start a saver for this session.
#pragma once

namespace pelandra::qt {

// The name of a screen saver already running for the session (XScreenSaver, MATE's), or
// nullptr when there is none.
const char* otherSaverRunning();

}  // namespace pelandra::qt
