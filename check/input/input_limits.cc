// The size limits named the same way in every refusal.
#include "check/input/input_limits.h"

namespace pomvarin::check {

std::string LimitText(std::size_t limit) {
  return limit >= (1u << 20) ? std::to_string(limit >> 20) + " MiB"
                             : std::to_string(limit >> 10) + " KiB";
}

}  // namespace pomvarin::check
