// The slide show: loading `Form1`, the timer's walk through the photo folder, and the
// input that ends the show.
#pragma once

#include <cstdint>
#include <string_view>

#include "control/handler_table.h"
#include "control/program_port.h"
#include "platform/platform.h"
#include "show/input_watch.h"
#include "show/sequencer.h"

namespace pelandra {

class ShowWindow {
  public:
    explicit ShowWindow(ProgramPort& program);

    std::string_view name() const;

    // Creates the window, runs its load step, shows it and uncovers the caption panel.
    void open();
    void handle(std::string_view control, EventKind kind);

    // One timer tick: the next photo and its caption, or the error box. The tick ends when
    // its picture has been decoded; ticks meanwhile are skipped.
    void tick();

    int16_t passStarts() const { return sequencer_.passStarts(); }
    int16_t formMoves() const { return input_.formMoves(); }
    int16_t imageMoves() const { return input_.imageMoves(); }

  private:
    void load();
    void layOut();
    void onPictureReady();
    void finishTick();
    void prepareUpcoming();
    void reportMissingPhotos();

    void onKeyDown() { endShow(); }
    void onMouseDown() { endShow(); }
    void onFormMove();
    void onImageMove();
    void onClosing();
    void endShow();

    static const Handler<ShowWindow> kHandlers[];

    ProgramPort& program_;
    Platform& platform_;
    show::Sequencer sequencer_;
    show::InputWatch input_;
    show::PhotoStep step_;         // the photo of the tick under way
    bool pictureLoading_ = false;  // the tick waits for its picture
    bool errorBoxOpen_ = false;
};

}  // namespace pelandra
