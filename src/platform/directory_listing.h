// The one-name-per-call folder listing the slide show walks: a call that names a folder
// starts a new listing, later calls continue it.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace pelandra {

class DirectoryListing {
  public:
    explicit DirectoryListing(Platform& platform) : platform_(platform) {}

    // Starts a new listing of every file in `folder`; returns its first name, or the
    // empty text when there is none or the folder does not exist. Throws RuntimeError
    // when the medium cannot be read (the previous listing is closed either way).
    Text first(TextView folder);

    // The next name of the current listing; the empty text once it is exhausted, and
    // on every call after that or when no listing was started.
    Text next();

  private:
    Platform& platform_;
    std::unique_ptr<DirectoryReader> reader_;
};

}  // namespace pelandra
