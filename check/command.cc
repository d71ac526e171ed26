#include "check/command.h"

#include <fstream>
#include <iterator>

#include "check/check.h"
#include "check/capture.h"
#include "check/report_format.h"
#include "check/trace.h"
#include "devices/device_matcher.h"
#include "platform/check_support.h"
#include "pomvarin_version.h"

namespace pomvarin::check {

namespace {

struct Options {
  bool list = false;
  bool json = false;
  bool help = false;
  bool version = false;
  bool trace = false;
  std::string capture;
  std::string folder;
  // After "--": the launcher's arguments for --trace.
  bool launcherArgumentsGiven = false;
  std::vector<std::string> launcherArguments;
};

std::string ShortUsage(const std::string& program) {
  return "usage: " + program + " [FOLDER] [--devices FILE] [--json]\n"
         "       " + program + " --list [--devices FILE] [--json]\n"
         "       " + program + " --trace [FOLDER] [-- ARGUMENTS]\n"
         "       " + program + " --help | --version\n";
}

std::string Help(const std::string& program) {
  return ShortUsage(program) +
         "\n"
         "Shows what the launcher would do with FOLDER\\Pomvarin.ini (default:\n"
         "the current directory) and warns of what looks wrong in it. Nothing\n"
         "is started and no box is shown, except with --trace.\n"
         "\n"
         "  --list          print the PCI devices, one per line with all their\n"
         "                  hardware IDs: a capture to check a disc against\n"
         "  --devices FILE  use the devices of a capture (--list output, or\n"
         "                  `lspci -vmm -nn` output) instead of the present ones\n"
         "  --json          print JSON instead of text\n"
         "  --trace         run the launcher beside this program in FOLDER with\n"
         "                  the ARGUMENTS after --, and print its trace lines as\n"
         "                  they come, then its exit status. This is a real run:\n"
         "                  the setups it finds start, and the warning box\n"
         "                  appears and waits until it is closed\n"
         "  --help          print this help" +
         (platform::HasSlashHelpSwitch() ? " (also /?)" : "") +
         "\n"
         "  --version       print the version\n"
         "\n"
         "Exit status: 0 nothing wrong, 1 warnings, 2 the check could not be\n"
         "made (Pomvarin.ini, the folder or the devices cannot be read) or the\n"
         "command line is wrong. With --trace: 0 the launcher exited with 0, 1\n"
         "with another status, 2 it could not be found or started.\n";
}

bool IsHelpSwitch(const std::string& argument) {
  return argument == "--help" || argument == "-h" ||
         (argument == "/?" && platform::HasSlashHelpSwitch());
}

bool ParseOptions(const std::vector<std::string>& arguments, Options* options,
                  std::string* error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--") {
      options->launcherArgumentsGiven = true;
      options->launcherArguments.assign(arguments.begin() + i + 1,
                                        arguments.end());
      break;
    } else if (argument == "--list") {
      options->list = true;
    } else if (argument == "--json") {
      options->json = true;
    } else if (IsHelpSwitch(argument)) {
      options->help = true;
    } else if (argument == "--version") {
      options->version = true;
    } else if (argument == "--trace") {
      options->trace = true;
    } else if (argument == "--devices") {
      if (i + 1 == arguments.size()) {
        *error = "--devices needs a file";
        return false;
      }
      options->capture = arguments[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      *error = "unknown option " + argument;
      return false;
    } else if (options->folder.empty()) {
      options->folder = argument;
    } else {
      *error = "only one folder can be checked";
      return false;
    }
  }
  if (options->list && !options->folder.empty()) {
    *error = "--list takes no folder";
    return false;
  }
  if (options->trace &&
      (options->list || options->json || !options->capture.empty())) {
    *error = "--trace takes no --list, --devices or --json";
    return false;
  }
  if (options->launcherArgumentsGiven && !options->trace) {
    *error = "arguments after -- are the launcher's, for --trace";
    return false;
  }
  return true;
}

bool ReadDevices(const Options& options, Devices* devices,
                 std::string* error) {
  if (options.capture.empty()) {
    if (ReadPresentDevices(devices)) return true;
    *error = kDevicesUnavailable;
    return false;
  }
  std::ifstream file(options.capture, std::ios::binary);
  if (!file) {
    *error = "cannot read the capture " + options.capture;
    return false;
  }
  const std::string bytes{std::istreambuf_iterator<char>(file),
                          std::istreambuf_iterator<char>()};
  CaptureError captureError;
  if (file.bad() || !ReadDeviceCapture(bytes, devices, &captureError)) {
    *error = file.bad() ? "cannot read the capture " + options.capture
                        : DescribeCaptureError(options.capture, captureError);
    return false;
  }
  return true;
}

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
    json += i > 0 ? ",\n  [" : "\n  [";
    const std::vector<std::string>& ids = devices[i].hardwareIds;
    for (std::size_t j = 0; j < ids.size(); ++j)
      json += (j > 0 ? ", " : "") + JsonString(ids[j]);
    json += "]";
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

  Devices devices;
  if (!ReadDevices(options, &devices, &error)) return Fail(program, error);
  if (options.list)
    return CommandResult{kNothingWrong,
                         options.json ? DevicesAsJson(devices)
                                      : FormatDeviceList(devices),
                         NotesText(devices)};

  if (!options.folder.empty() &&
      !platform::ChangeDirectory(options.folder.c_str()))
    return Fail(program, "cannot enter the folder " + options.folder);
  Report report;
  const DeviceOrigin origin = options.capture.empty() ? DeviceOrigin::kPresent
                                                      : DeviceOrigin::kCapture;
  switch (CheckCurrentDirectory(devices, origin, &report)) {
    case CheckOutcome::kNoCurrentDirectory:
      return Fail(program,
                  "the folder's path cannot be read or is longer than the "
                  "launcher's limit of 259 characters: the launcher would "
                  "read no Pomvarin.ini there");
    case CheckOutcome::kUnreadableConfiguration:
      return Fail(program, "cannot read " + report.configurationPath);
    case CheckOutcome::kChecked:
      break;
  }
  const DeviceSource source{options.capture, devices.size(), NotesOf(devices)};
  return CommandResult{
      report.warnings.empty() ? kNothingWrong : kWarnings,
      options.json ? FormatJson(report, source) : FormatText(report, source),
      ""};
}

}  // namespace pomvarin::check
