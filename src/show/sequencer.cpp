#include "show/sequencer.h"

#include "platform/checked_math.h"

namespace pelandra::show {

namespace {

constexpr TextView kFolderMarker = u"pyrnox";

}  // namespace

PhotoStep Sequencer::advance(TextView folder) {
    if (intPassStarts_ > 2) {
        const Text name = nextName();
        if (!name.empty()) {
            Text entry = Text(folder) + name;
            const int32_t pos = textFind(entry, kFolderMarker);
            return {entry, std::move(entry), pos};
        }
        intPassStarts_ = 0;
    }
    // The first file of a pass is shown on three ticks in a row.
    ahead_.reset();
    passFirstName_ = listing_.first(folder);
    Text entry = Text(folder) + platform_.upperCase(passFirstName_);
    intPassStarts_ = checked::add16(intPassStarts_, 1);
    const int32_t pos = textFind(entry, kFolderMarker);
    // Loaded by the name as listed: on a case-sensitive file system the upper-cased name
    // would not be found.
    return {std::move(entry), Text(folder) + passFirstName_, pos};
}

std::optional<Text> Sequencer::upcoming(TextView folder) {
    if (intPassStarts_ > 2) {
        if (!ahead_) {
            try {
                ahead_ = ReadAhead{listing_.next(), std::nullopt};
            } catch (const RuntimeError& error) {
                ahead_ = ReadAhead{{}, error};
            }
        }
        if (ahead_->failure) return std::nullopt;
        if (!ahead_->name.empty()) return Text(folder) + ahead_->name;
        return firstFileOf(folder);  // the pass is over: the next tick starts another
    }
    if (intPassStarts_ > 0 && !passFirstName_.empty()) return Text(folder) + passFirstName_;
    return firstFileOf(folder);
}

Text Sequencer::nextName() {
    if (!ahead_) return listing_.next();
    ReadAhead read = std::move(*ahead_);
    ahead_.reset();
    if (read.failure) throw *read.failure;
    return std::move(read.name);
}

// A look at the folder that leaves the walk's own listing alone; the tick that starts the
// next pass lists the folder afresh, so a change made meanwhile is still seen.
std::optional<Text> Sequencer::firstFileOf(TextView folder) {
    try {
        DirectoryListing look(platform_);
        const Text name = look.first(folder);
        if (name.empty()) return std::nullopt;
        return Text(folder) + name;
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

}  // namespace pelandra::show
