// The launcher's entry and its one pass over the configured vendor entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devices/device_matcher.h"
#include "launcher/configuration.h"

namespace pomvarin {

// The warning box of a run in which no vendor entry matched.
constexpr char kWarningText[] = "No Matched Device Driver!";
constexpr char kWarningCaption[] = "Warning";

// The run: reads Pomvarin.ini from the current directory, starts the setup
// of every vendor whose ID a present PCI device carries, and shows the
// warning box when none did. The arguments are the command line without the
// program's name. Always returns 0.
int WinMain(const char* arguments);

// Traces the arguments and tells whether they hold "/s" or "/S" anywhere.
bool HasSilentSwitch(const char* arguments);

// The case passes on the first length bytes of an ID: every ASCII letter to
// upper case; then every ASCII letter but the first to lower case.
void UpperCasePass(char* id, std::size_t length);
void LowerCasePass(char* id, std::size_t length);

// Whoever watches the vendor pass: the launcher, which traces and starts,
// or pomvarin-check, which records. Each call comes at the moment its event
// happens in the pass, so the launcher's platform calls and trace lines
// keep their order.
class VendorPassObserver : public DeviceAnswered {
 public:
  // The five values of entry n, just read.
  virtual void OnEntry(std::int32_t n, const VendorEntry& entry) = 0;
  // The VenID after a case pass, just before its question is put.
  virtual void OnCaseForm(const char* venId) = 0;
  // The entry matched: its setup is to be searched for below root.
  virtual void OnMatched(const VendorEntry& entry, const char* root) = 0;
  // The last entry number from n on that reads exactly like n (n itself for
  // the launcher): the pass goes on after it. pomvarin-check jumps over a
  // run of missing sections this way, which all read as "Unknow".
  virtual std::int32_t LastEntryAlike(std::int32_t n, std::int32_t count) {
    (void)count;
    return n;
  }

 protected:
  ~VendorPassObserver() = default;
};

// The vendor pass's question for one case form of a VenID: a present PCI
// device whose first hardware ID holds venId and "PCI", compared byte for
// byte. pomvarin-check puts it to IDs of its own, never a copy of it.
bool AnswersVendorQuestion(const DeviceMatcher& matcher, const char* venId,
                           DeviceAnswered* answered = nullptr);

// Reads Pomvarin.ini in the current directory and puts both case forms of
// every entry's VenID to the matcher, telling the observer as it goes.
// Returns whether any entry matched.
bool RunVendorPass(const DeviceMatcher& matcher, VendorPassObserver& observer);

}  // namespace pomvarin
