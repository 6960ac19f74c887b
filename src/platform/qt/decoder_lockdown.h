// The picture decoder's fence against a picture that takes control of an image codec: once
// it holds everything it needs (its socket, the pixel memory, the codecs' libraries), it
// keeps only the few system calls decoding needs: no files by name, no sockets, no programs
// or processes, no new code, nothing aimed at another process.
#pragma once

#include <string>

namespace pelandra::qt {

// First step, while the process has one thread: a user namespace of its own with no network,
// whose tasks are few, and, once `lockDown` runs, no file system. Returns false where the
// system refuses namespaces to ordinary users (many containers); the filter alone then holds.
bool leaveSharedNamespaces();

// Second step, after the codecs are loaded: the file system view becomes an empty folder
// (only when the first step succeeded), no new privileges, and the system-call filter, which
// lets `pixels` (the shared pixel memory) meet its seals. Returns why it failed, or the empty
// text once the process is fenced.
std::string lockDown(bool ownNamespaces, int pixels);

}  // namespace pelandra::qt
