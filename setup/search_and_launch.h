// Finds a vendor's setup program by name in a folder tree and starts it.
#pragma once

#include "platform/platform.h"
#include "setup/launch_spec.h"

namespace pomvarin {

// What the walk does with each file it finds.
class SetupFileFound {
 public:
  virtual void OnSetupFile(const char* path, const LaunchSpecParts& parts) = 0;

 protected:
  ~SetupFileFound() = default;
};

// Walks the tree below root depth-first in listing order and hands over every
// file named by the LaunchSpec's file-name part (ASCII case ignored), at most
// one per folder: a find ends the search of its own folder only.
void SearchSetup(const char* root, const char* spec, SetupFileFound& found);

// SearchSetup that starts each file found with its parameters: hidden when
// silent, else visibly. Always returns 0.
int SearchAndLaunch(const char* root, const char* spec, bool silent);

}  // namespace pomvarin
