// What the show and its picture decoder process say to each other over their socket (one
// datagram per message); the pixels themselves travel through shared memory. The decoder
// opens nothing: the show hands it each picture file open, with the request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/runtime_error.h"

namespace pelandra::decoder {

// The decoder is started as: pelandra-picture-decoder <socket fd> <pixels fd> <show's pid>

// A file name longer than the system's longest path could never be opened.
inline constexpr size_t kMaxPathBytes = 4096;

// Followed in the same datagram by the file's name (UTF-8, no terminator; only the test
// hooks read it) and carries the open file as an SCM_RIGHTS descriptor.
struct DecodeRequest {
    uint32_t width = 0;  // the size to decode to
    uint32_t height = 0;
};

// Pixels: `height` rows of `width` premultiplied ARGB32 values, from the start of the
// shared memory. The show seals that memory against shrinking and growing before it maps it,
// so whatever the decoder does to it, the show's copy of the pixels cannot fault.
struct DecodeAnswer {
    int32_t status = 0;  // 0, or the number of the RuntimeError decoding met
    uint32_t width = 0;
    uint32_t height = 0;
};

// The error an answer's status stands for; unknown numbers are an invalid picture.
inline RuntimeError decodeFailure(int32_t status) {
    switch (status) {
        case 53:
            return RuntimeError::fileNotFound();
        case 70:
            return RuntimeError::permissionDenied();
        case 75:
            return RuntimeError::pathFileAccess();
        default:
            return RuntimeError::invalidPicture();
    }
}

}  // namespace pelandra::decoder
