// The check of a disc over many machines, made as the machines are read:
// each new configuration is checked at once, folded into the fleet's
// results and let go, so that nothing of its pass outlives it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "check/check.h"
#include "check/fleet/digest.h"
#include "check/fleet/fleet_analysis.h"
#include "check/fleet/machines.h"
#include "check/report/fleet_results.h"
#include "check/warnings/setup_kind_lint.h"

namespace pomvarin::check {

class FleetCheck : public MachineSink {
 public:
  // openDisc is called before the first configuration is checked, to
  // enter the disc's folder and read it into disc; false ends the reading.
  FleetCheck(DiscCheck& disc, const InfTarget* target,
             std::function<bool()> openDisc);

  bool AddKnown(std::string_view machine, const Digest& bytes) override;
  bool Add(std::string_view machine, const Digest* bytes,
           const Devices& devices) override;

  // Whether any machine was taken in.
  bool empty() const { return results_.configurations.empty(); }
  // The VenID warnings, which need every configuration, and the results.
  FleetResults Finish(std::vector<SkippedCapture> skipped);

 private:
  void Count(Number32 configuration, std::string_view machine);
  void CheckConfiguration(const Devices& devices);
  Number32 OutcomeOf(const Report& report);
  Number32 WarningNumber(const Warning& warning);
  Number32 MachineWarningNumber(const FleetWarning& warning);

  DiscCheck& disc_;
  const InfTarget* target_;
  std::function<bool()> openDisc_;
  bool opened_ = false;
  SetupKindLint kindLint_;
  std::optional<FleetAnalysis> analysis_;
  FleetResults results_;
  Report report_;  // the pass on the configuration checked last
  std::unordered_map<Digest, Number32, HashOfDigest> byBytes_;
  std::unordered_map<Digest, Number32, HashOfDigest> byDevices_;
  std::unordered_map<std::string, Number32> outcomes_;  // by their key
  std::unordered_multimap<std::size_t, Number32> warnings_;  // by hash
  std::unordered_multimap<std::size_t, Number32> machineWarnings_;
};

}  // namespace pomvarin::check
