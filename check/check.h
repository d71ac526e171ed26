// What the launcher would do with the disc in the current directory, found
// by running the launcher's own vendor pass with a recorder in place of its
// starts and trace, and what in Pomvarin.ini looks wrong. Nothing is
// started and no box is shown.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "check/fleet/devices.h"
#include "check/report/results.h"
#include "common/text.h"
#include "platform/capture/kept_profile.h"
#include "platform/profile_sections.h"

namespace pomvarin::check {

enum class CheckOutcome {
  kChecked,
  kNoCurrentDirectory,  // unreadable, or too long for the launcher
  kUnreadableConfiguration,
  kConfigurationTooLarge,  // past kConfigurationLimit: not read further
};

// Where the devices of a check come from.
enum class DeviceOrigin {
  kPresent,  // the system's: devices were read from it
  kCapture,  // devices themselves, through the platform's device operations
};

class SectionIndex;
class SetupKindLint;
class SetupSearches;

// The disc in the current directory, read once for every set of devices it
// is checked against: Pomvarin.ini's sections, its count and their
// warnings, the values the launcher's pass reads from it (kept while the
// DiscCheck lives) and what the setup search finds below each root.
class DiscCheck {
 public:
  DiscCheck();
  ~DiscCheck();
  DiscCheck(const DiscCheck&) = delete;
  DiscCheck& operator=(const DiscCheck&) = delete;

  // Reads the disc; anything but kChecked means no check can be made.
  CheckOutcome Open();
  // Pomvarin.ini's path, once Open has read the current directory.
  const char* configurationPath() const { return configurationPath_; }

  // The launcher's pass on the devices, and warnings of what would go
  // wrong with them.
  void Check(const Devices& devices, DeviceOrigin origin, Report* report);

 private:
  platform::KeptProfileAnswers profile_;
  Text currentDirectory_ = "";
  Text configurationPath_ = "";
  std::vector<platform::ProfileSection> sections_;
  std::unique_ptr<SectionIndex> index_;  // of sections_
  std::set<std::int32_t> present_;
  Report disc_;  // the count and the warnings of the file alone
  std::unique_ptr<SetupSearches> searches_;
  std::unique_ptr<SetupKindLint> kindLint_;  // what each entry's files give
};

// Checks the disc in the current directory against one set of devices.
CheckOutcome CheckCurrentDirectory(const Devices& devices, DeviceOrigin origin,
                                   Report* report);

}  // namespace pomvarin::check
