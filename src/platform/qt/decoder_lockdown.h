// The picture decoder's fence against a picture that takes control of an image codec: once
// it holds everything it needs (its socket, the pixel memory, the codecs' libraries), it
// gives up opening files, making sockets, starting programs, watching other processes and
// changing the system.
#pragma once

#include <string>

namespace pelandra::qt {

// First step, while the process has one thread: a user namespace of its own with no network
// and, once `enterEmptyRoot` runs, no file system. Returns false where the system refuses
// namespaces to ordinary users (many containers); the filter alone then holds.
bool leaveSharedNamespaces();

// Second step, after the codecs are loaded: the file system view becomes an empty folder
// (only when the first step succeeded), no new privileges, and the system-call filter.
// Returns why it failed, or the empty text once the process is fenced.
std::string lockDown(bool ownNamespaces);

}  // namespace pelandra::qt
