// Finds a vendor's setup program by name in a folder tree and starts it.
#pragma once

namespace pomvarin {

// Walks the tree below root depth-first in listing order and starts every
// file named by the LaunchSpec's file-name part (ASCII case ignored), at most
// one per folder, with its parameters: hidden when silent, else visibly.
// Always returns 0.
int SearchAndLaunch(const char* root, const char* spec, bool silent);

}  // namespace pomvarin
