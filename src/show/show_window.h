// The slide show: loading `Form1`, the timer's walk through the photo folder, and the
// input that ends the show.
#pragma once

#include <cstdint>
#include <string_view>

#include "control/handler_table.h"
#include "platform/directory_listing.h"
#include "platform/platform.h"

namespace pelandra {

class Program;

class ShowWindow {
  public:
    explicit ShowWindow(Program& program);

    std::string_view name() const;

    // Creates the window, runs its load step, shows it and uncovers the caption panel.
    void open();
    void handle(std::string_view control, EventKind kind);

    // One timer tick: the next photo and its caption, or the error box.
    void tick();

    int16_t passStarts() const { return intPassStarts_; }
    int16_t formMoves() const { return intFormMoves_; }
    int16_t imageMoves() const { return intImageMoves_; }

  private:
    void load();
    void layOut();
    void showNextPhoto();
    void reportMissingPhotos();
    void countMove(int16_t& counter);

    void onKeyDown() { endShow(); }
    void onMouseDown() { endShow(); }
    void onFormMove() { countMove(intFormMoves_); }
    void onImageMove() { countMove(intImageMoves_); }
    void onClosing();
    void endShow();

    static const Handler<ShowWindow> kHandlers[];

    Program& program_;
    Platform& platform_;
    DirectoryListing listing_;
    int16_t intFormMoves_ = 0;
    int16_t intImageMoves_ = 0;
    int16_t intPassStarts_ = 0;
    bool errorBoxOpen_ = false;
};

}  // namespace pelandra
