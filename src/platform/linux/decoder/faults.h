// The faults the tests ask of the decoder, built only into its test build
// (pelandra-picture-decoder-faults); in the program itself they do nothing. A picture file
// whose name contains "decoder-abort" crashes the decoder, "decoder-hang" never finishes,
// "decoder-hog" allocates far more than any photo needs, "decoder-shrink" shrinks the pixel
// memory it shares with the show before it answers, and "decoder-escape" tries every way out
// of the fence (crashing when one works) before it decodes as usual.
// PELANDRA_DECODER_FAULTS=no-lock-down in the environment acts as a fence that failed.
#pragma once

#include <sys/types.h>

#include <string>

namespace pelandra::decoder {

#ifdef PELANDRA_DECODER_FAULTS
void beforeDecoding(const std::string& name, pid_t show);
void beforeAnswering(const std::string& name, int pixels);
bool fenceFailureAsked();
#else
inline void beforeDecoding(const std::string&, pid_t) {}
inline void beforeAnswering(const std::string&, int) {}
inline bool fenceFailureAsked() {
    return false;
}
#endif

}  // namespace pelandra::decoder
