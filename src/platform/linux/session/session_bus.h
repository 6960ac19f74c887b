// The session bus, where the program only ever uses one the session already has.
#pragma once

namespace pelandra::qt {

// Without a known session bus, libdbus starts one of its own through X11
// (dbus-launch --autolaunch) the first time Qt asks for it, and that bus outlives the
// program. This names a bus address that connects nowhere instead. Call it before the
// first connection; the children of the program inherit it.
void refuseBusAutolaunch();

}  // namespace pelandra::qt
