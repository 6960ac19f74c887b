#include "platform/directory_listing.h"

namespace pelandra {

Text DirectoryListing::first(TextView folder) {
    reader_.reset();
    reader_ = platform_.openDirectory(folder);
    return next();
}

Text DirectoryListing::next() {
    if (!reader_) return {};
    auto name = reader_->next();
    if (!name) {
        reader_.reset();
        return {};
    }
    return std::move(*name);
}

}  // namespace pelandra
