// A failure that no handler catches ends the program with a numbered report, in the
// numbering that users of classic Windows programs know.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace pelandra {

struct RuntimeError {
    int32_t number;
    Text description;

    static RuntimeError invalidArgument() { return {5, u"Invalid procedure call or argument"}; }
    static RuntimeError overflow() { return {6, u"Overflow"}; }
    static RuntimeError outOfMemory() { return {7, u"Out of memory"}; }
    static RuntimeError typeMismatch() { return {13, u"Type mismatch"}; }
    static RuntimeError badFileName() { return {52, u"Bad file name or number"}; }
    static RuntimeError fileNotFound() { return {53, u"File not found"}; }
    static RuntimeError deviceUnavailable() { return {68, u"Device unavailable"}; }
    static RuntimeError permissionDenied() { return {70, u"Permission denied"}; }
    static RuntimeError diskNotReady() { return {71, u"Disk not ready"}; }
    static RuntimeError pathFileAccess() { return {75, u"Path/File access error"}; }
    static RuntimeError pathNotFound() { return {76, u"Path not found"}; }
    static RuntimeError invalidPicture() { return {481, u"Invalid picture"}; }
};

}  // namespace pelandra
