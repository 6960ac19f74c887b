// How many files the program may hold open at once. The X connection, the toolkit's own
// descriptors, the lock, the picture decoder and the photo being read need a few dozen;
// with fewer the toolkit blocks on the X server instead of failing.
#pragma once

#include <optional>
#include <string>

namespace pelandra::qt {

inline constexpr long kFilesNeeded = 64;

// Raises the soft limit on open files to the hard one. Returns the line to print when
// even that leaves fewer than kFilesNeeded; nullopt when the program can run.
std::optional<std::string> raiseFileLimit();

}  // namespace pelandra::qt
