// The show's walk through the photo folder, one file per tick: the first file of each pass
// on three ticks in a row, then the others in listing order. It can tell which file the
// next tick will load, so that the picture is decoded while the current one is shown.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/directory_listing.h"
#include "platform/platform.h"

namespace pelandra::show {

// What one tick found: the photo's path as the captions see it (the first file of a pass
// has its name upper-cased), the path to load it by, and where the folder marker is.
struct PhotoStep {
    Text entry;
    Text loadPath;
    int32_t pos = 0;  // 1-based position of the folder marker in `entry`; 0 when absent
};

class Sequencer {
  public:
    explicit Sequencer(Platform& platform) : platform_(platform), listing_(platform) {}

    // One tick's walk. Throws RuntimeError when the folder cannot be listed; `intPassStarts`
    // and the listing then stay as far as the tick got.
    PhotoStep advance(TextView folder);

    // The path the next advance() will load, reading the listing one name ahead when the
    // walk is inside a pass; nullopt when there is no such file or finding it fails. What
    // reading ahead met (a name, the end, a failure) is kept for that advance(), so a
    // failure is reported at the tick that meets it, and only there.
    std::optional<Text> upcoming(TextView folder);

    int16_t passStarts() const { return intPassStarts_; }

  private:
    struct ReadAhead {
        Text name;  // empty: the listing is exhausted
        std::optional<RuntimeError> failure;
    };

    Text nextName();
    std::optional<Text> firstFileOf(TextView folder);

    Platform& platform_;
    DirectoryListing listing_;
    int16_t intPassStarts_ = 0;
    Text passFirstName_;  // the current pass's first name, as listed
    std::optional<ReadAhead> ahead_;
};

}  // namespace pelandra::show
