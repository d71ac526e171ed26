#include "check/command.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#include "check/check.h"
#include "check/capture.h"
#include "check/fleet.h"
#include "check/inf.h"
#include "check/report/outcome.h"
#include "check/report/report_writer.h"
#include "check/trace.h"
#include "common/text.h"
#include "devices/device_matcher.h"
#include "platform/check_support.h"
#include "setup/search_and_launch.h"
#include "pomvarin_version.h"

namespace pomvarin::check {

namespace {

struct Options {
  bool list = false;
  bool json = false;
  bool help = false;
  bool version = false;
  bool trace = false;
  std::vector<std::string> captures;  // files, or folders of them
  std::string target;                 // a decoration such as NTamd64.10.0
  std::string folder;
  // After "--": the launcher's arguments for --trace.
  bool launcherArgumentsGiven = false;
  std::vector<std::string> launcherArguments;
};

std::string ShortUsage(const std::string& program) {
  return "usage: " + program +
         " [FOLDER] [--devices FILE|DIR]... [--target NTarch.major.minor]"
         " [--json]\n"
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
         "                  `lspci -vmm -nn` output) instead of the present ones;\n"
         "                  given again, or naming a folder of captures (one file\n"
         "                  a machine), checks the disc over all those machines\n"
         "  --target DEC    read the .inf files for one system, as a models\n"
         "                  section decoration names it (NTamd64.10.0); without\n"
         "                  it every decorated models section counts\n"
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
      options->captures.push_back(arguments[++i]);
    } else if (argument == "--target") {
      InfTarget ignored;
      if (i + 1 == arguments.size() ||
          !ParseInfTarget(arguments[i + 1], &ignored)) {
        *error = "--target needs a decoration such as NTamd64.10.0";
        return false;
      }
      options->target = arguments[++i];
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
      (options->list || options->json || !options->captures.empty())) {
    *error = "--trace takes no --list, --devices or --json";
    return false;
  }
  if (options->list && options->captures.size() > 1) {
    *error = "--list takes one --devices";
    return false;
  }
  if (options->launcherArgumentsGiven && !options->trace) {
    *error = "arguments after -- are the launcher's, for --trace";
    return false;
  }
  return true;
}

// The devices of one capture file; false with the reason when it cannot
// be read (unreadable is set then) or is no capture.
bool ReadCapture(const std::string& path, Devices* devices, std::string* error,
                 bool* unreadable) {
  // A file of a listed folder has a path as the launcher joins them; a
  // capture named on the command line may also be a pipe.
  std::string bytes;
  *unreadable = !platform::ReadFileBytes(path.c_str(), &bytes);
  if (*unreadable) {
    std::ifstream file(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file),
                 std::istreambuf_iterator<char>());
    *unreadable = !file.is_open() || file.bad();
  }
  if (*unreadable) {
    *error = "cannot read the capture " + path;
    return false;
  }
  CaptureError captureError;
  if (!ReadDeviceCapture(bytes, devices, &captureError)) {
    *error = DescribeCaptureError(path, captureError);
    return false;
  }
  return true;
}

bool ReadDevices(const Options& options, Devices* devices,
                 std::string* error) {
  if (options.captures.empty()) {
    if (ReadPresentDevices(devices)) return true;
    *error = kDevicesUnavailable;
    return false;
  }
  bool unreadable;
  return ReadCapture(options.captures[0], devices, error, &unreadable);
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The files of a folder in name order, through the platform's listing;
// false when path is no folder that can be listed.
bool ListFolderFiles(const std::string& path, std::vector<std::string>* files) {
  Text pattern;
  if (!ListingPattern(path.c_str(), pattern)) return false;
  platform::DirectoryEntry entry;
  platform::Listing listing = platform::OpenListing(pattern, &entry);
  if (!listing) return false;
  platform::ScopedListing owner(listing);
  do {
    Text file;
    if ((entry.attributes & platform::kAttributeDirectory) == 0 &&
        JoinPath(file, path.c_str(), entry.name))
      files->push_back(file);
  } while (platform::NextEntry(listing, &entry));
  std::sort(files->begin(), files->end());
  return true;
}

bool IsFolder(const std::string& path) {
  std::vector<std::string> ignored;
  return ListFolderFiles(path, &ignored);
}

// The machines of every --devices: a file is one machine; a folder's files
// are one each, in name order, those that are no capture skipped. False
// when a capture named on the command line, or a file of a folder, cannot
// be read: the others are still checked.
bool ReadMachines(const std::vector<std::string>& captures,
                  std::vector<Machine>* machines,
                  std::vector<SkippedCapture>* skipped) {
  bool allRead = true;
  for (const std::string& capture : captures) {
    std::vector<std::string> files;
    const bool folder = ListFolderFiles(capture, &files);
    if (!folder) files.push_back(capture);
    for (const std::string& file : files) {
      Machine machine{FileName(file), {}, {}};
      std::string error;
      bool unreadable;
      if (ReadCapture(file, &machine.devices, &error, &unreadable)) {
        machines->push_back(machine);
        continue;
      }
      // A file of a folder that is no capture is passed over; one named on
      // the command line was meant as a capture.
      const bool failed = unreadable || !folder;
      skipped->push_back(SkippedCapture{
          file, failed ? error : error + " (no capture)", failed});
      allRead = allRead && !failed;
    }
  }
  return allRead;
}

std::vector<std::string> NotesOf(const Devices& devices) {
  std::vector<std::string> notes;
  for (const Device& device : devices) {
    if (!device.note.empty()) notes.push_back(device.note);
  }
  return notes;
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

  const std::unique_ptr<ReportWriter> writer =
      options.json ? MakeJsonWriter() : MakeTextWriter();
  if (options.list) {
    Devices devices;
    if (!ReadDevices(options, &devices, &error)) return Fail(program, error);
    return CommandResult{kNothingWrong, writer->DeviceList(devices),
                         DeviceNotes(devices)};
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
    if (!ReadDevices(options, &machine.devices, &error))
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
  const std::vector<Warning> warnings = DistinctWarnings(machines);
  const int status = CheckStatus(allRead, warnings, packages);
  if (fleet)
    return CommandResult{
        status, writer->Fleet(machines, skipped, warnings, packages),
        skippedText};
  const Machine& machine = machines[0];
  const DeviceSource source{options.captures.empty() ? "" : options.captures[0],
                            machine.devices.size(), NotesOf(machine.devices)};
  return CommandResult{status, writer->SingleMachine(machine, source, packages),
                       ""};
}

}  // namespace pomvarin::check
