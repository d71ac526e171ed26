#include "check/command.h"

#include "check/check.h"
#include "check/capture/capture.h"
#include "check/fleet.h"
#include "check/inf.h"
#include "check/machines.h"
#include "check/options.h"
#include "check/report_format.h"
#include "check/trace.h"
#include "platform/files.h"
#include "pomvarin_version.h"

namespace pomvarin::check {

namespace {

std::vector<std::string> NotesOf(const Devices& devices) {
  std::vector<std::string> notes;
  for (const Device& device : devices) {
    if (!device.note.empty()) notes.push_back(device.note);
  }
  return notes;
}

std::string NotesText(const Devices& devices) {
  std::string text;
  for (const std::string& note : NotesOf(devices)) text += "note: " + note + "\n";
  return text;
}

std::string DevicesAsJson(const Devices& devices) {
  std::string json = "{\"devices\": [";
  for (std::size_t i = 0; i < devices.size(); ++i) {
    json += (i > 0 ? ",\n  " : "\n  ") + JsonStrings(devices[i].hardwareIds);
  }
  return json + (devices.empty() ? "]}\n" : "\n]}\n");
}

CommandResult Fail(const std::string& program, const std::string& message) {
  return CommandResult{kCannotCheck, "", program + ": " + message + "\n"};
}

}  // namespace

CommandResult RunCommand(const std::string& program,
                         const std::vector<std::string>& arguments,
                         LiveOutput& live) {
  Options options;
  std::string error;
  if (!ParseOptions(arguments, &options, &error))
    return CommandResult{kCannotCheck, "",
                         program + ": " + error + "\n" + ShortUsage(program) +
                             "Try '" + program + " --help' for more.\n"};
  if (options.help) return CommandResult{kNothingWrong, Help(program), ""};
  if (options.version)
    return CommandResult{kNothingWrong,
                         program + " " + POMVARIN_VERSION + "\n", ""};
  if (options.trace)
    return RunTrace(program, options.folder, options.launcherArguments, live);

  if (options.list) {
    Devices devices;
    if (!ReadDevices(options.captures, &devices, &error)) return Fail(program, error);
    return CommandResult{kNothingWrong,
                         options.json ? DevicesAsJson(devices)
                                      : FormatDeviceList(devices),
                         NotesText(devices)};
  }

  const bool fleet = options.captures.size() > 1 ||
                     (options.captures.size() == 1 && IsFolder(options.captures[0]));
  std::vector<Machine> machines;
  std::vector<SkippedCapture> skipped;
  bool allRead = true;
  if (fleet) {
    allRead = ReadMachines(options.captures, &machines, &skipped);
  } else {
    Machine machine{options.captures.empty() ? "" : FileName(options.captures[0]),
                    {}, {}};
    if (!ReadDevices(options.captures, &machine.devices, &error))
      return Fail(program, error);
    machines.push_back(machine);
  }
  std::string skippedText;
  for (const SkippedCapture& file : skipped)
    if (file.unreadable) skippedText += program + ": " + file.reason + "\n";
  if (machines.empty())
    return CommandResult{kCannotCheck, "",
                         skippedText + program + ": no capture to check\n"};

  if (!options.folder.empty() &&
      !platform::ChangeDirectory(options.folder.c_str()))
    return Fail(program, "cannot enter the folder " + options.folder);
  const DeviceOrigin origin = options.captures.empty() ? DeviceOrigin::kPresent
                                                       : DeviceOrigin::kCapture;
  for (Machine& machine : machines) {
    switch (CheckCurrentDirectory(machine.devices, origin, &machine.report)) {
      case CheckOutcome::kNoCurrentDirectory:
        return Fail(program,
                    "the folder's path cannot be read or is longer than the "
                    "launcher's limit of 259 characters: the launcher would "
                    "read no Pomvarin.ini there");
      case CheckOutcome::kUnreadableConfiguration:
        return Fail(program, "cannot read " + machine.report.configurationPath);
      case CheckOutcome::kChecked:
        break;
    }
  }
  InfTarget target;
  const bool targeted = !options.target.empty() &&
                        ParseInfTarget(options.target, &target);
  const FleetReport packages = CheckFleet(machines, targeted ? &target : nullptr);
  const bool warned =
      !DistinctWarnings(machines).empty() || !packages.warnings.empty();
  const int status = !allRead ? kCannotCheck : warned ? kWarnings : kNothingWrong;
  if (fleet)
    return CommandResult{
        status,
        options.json ? FormatFleetJson(machines, skipped, packages)
                     : FormatFleetText(machines, skipped, packages),
        skippedText};
  const Machine& machine = machines[0];
  const DeviceSource source{options.captures.empty() ? "" : options.captures[0],
                            machine.devices.size(), NotesOf(machine.devices)};
  return CommandResult{
      status,
      options.json ? AddPackagesJson(FormatJson(machine.report, source),
                                     machines, packages)
                   : FormatText(machine.report, source) +
                         FormatPackagesText(machines, packages),
      ""};
}

}  // namespace pomvarin::check
