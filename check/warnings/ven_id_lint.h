// Whether an entry's VenID text tests the vendor it names: where else in a
// device's first hardware ID the text can occur, and where the capture
// cannot tell.
#pragma once

#include <vector>

#include "check/check.h"
#include "check/fleet/devices.h"

namespace pomvarin::check {

// Warnings of the entry's VenID against the devices checked.
void LintVenId(const EntryReport& entry, const Devices& devices,
               std::vector<Warning>* warnings);

}  // namespace pomvarin::check
