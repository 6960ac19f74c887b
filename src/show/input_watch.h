// Mouse movement is not trusted at once: the window's surface and the photo each let three
// movement events pass, and the fourth on either ends the show.
#pragma once

#include <cstdint>

namespace pelandra::show {

class InputWatch {
  public:
    // Counts a move on the window's own surface or on the photo; true when it ends the show.
    bool formMoved() { return counts(intFormMoves_); }
    bool imageMoved() { return counts(intImageMoves_); }

    int16_t formMoves() const { return intFormMoves_; }
    int16_t imageMoves() const { return intImageMoves_; }

  private:
    static bool counts(int16_t& counter);

    int16_t intFormMoves_ = 0;
    int16_t intImageMoves_ = 0;
};

}  // namespace pelandra::show
