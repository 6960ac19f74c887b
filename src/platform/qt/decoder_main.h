// The program's picture decoder mode: a process the show starts to decode its photos, so
// that no picture file can crash, stall or bloat the show itself.
#pragma once

#include <optional>

namespace pelandra::qt {

// Runs the decoder when the arguments ask for it (see decoder_protocol.h) and returns its
// exit status; nullopt for any other arguments. Every main() that may host the show
// calls this first.
std::optional<int> decoderMain(int argc, char** argv);

}  // namespace pelandra::qt
