// Starting a program, or handing a document to the desktop's opener,
// without waiting for it.
#pragma once

#include "platform/platform.h"
#include "platform/posix/posix_common.h"

namespace pomvarin::platform::posix {

// Looks name up in the folders of searchPath (a PATH value; an empty
// element is the current folder) and copies the first executable regular
// file found into found. False when there is none.
bool FindOnPath(const char* name, const char* searchPath, PosixPath& found);

}  // namespace pomvarin::platform::posix
