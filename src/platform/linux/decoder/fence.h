// The picture decoder's fence against a picture that takes control of an image codec, all
// of it in one place. Before anything else it leaves the user's namespaces, dies with the
// show and caps its memory; once it holds everything it needs (its socket, the pixel memory,
// the codecs' libraries), it keeps only the few system calls decoding needs: no files by
// name, no sockets, no programs or processes, no new code, nothing aimed at another process.
#pragma once

#include <sys/types.h>

#include <string>

namespace pelandra::decoder {

// First, while the process has one thread: a user namespace of its own with no network and
// few tasks (false where the system refuses namespaces to ordinary users, as many
// containers do: the filter alone then holds), death with the show `show` (ends at once if
// the show has gone already), and a cap on its address space.
bool prepareFence(pid_t show);

// Then, after the codecs are loaded: the file system view becomes an empty folder (only with
// namespaces of its own), no new privileges, and the system-call filter, which lets `pixels`
// (the shared pixel memory) meet its seals. Returns why it failed, or the empty text once
// the process is fenced.
std::string lockDown(bool ownNamespaces, int pixels);

}  // namespace pelandra::decoder
