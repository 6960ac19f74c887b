// What a failed file or folder call's errno means to the program: one of the errors the
// core knows by number.
#pragma once

#include <cerrno>

#include "platform/runtime_error.h"

namespace pelandra {

inline RuntimeError fileError(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return RuntimeError::fileNotFound();
        case EACCES:
        case EPERM:
        case EROFS:
            return RuntimeError::permissionDenied();
        case EIO:
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:  // the disc taken out
            return RuntimeError::diskNotReady();
        default:
            return RuntimeError::pathFileAccess();
    }
}

}  // namespace pelandra
