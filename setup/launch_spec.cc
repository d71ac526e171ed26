#include "setup/launch_spec.h"

#include <cstring>

namespace pomvarin {

LaunchSpecParts SplitLaunchSpec(const char* spec) {
  const char* blank = std::strchr(spec, ' ');
  if (!blank) return {spec, std::strlen(spec), ""};
  return {spec, static_cast<std::size_t>(blank - spec), blank};
}

}  // namespace pomvarin
