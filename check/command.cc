#include "check/command.h"

#include <memory>

#include "check/check.h"
#include "check/capture/capture.h"
#include "check/fleet/fleet_analysis.h"
#include "check/fleet/fleet_check.h"
#include "check/packages/inf.h"
#include "check/init/disc_ini.h"
#include "check/input/input_limits.h"
#include "check/fleet/machines.h"
#include "check/image/image_drive.h"
#include "check/listing/list_files.h"
#include "check/options.h"
#include "check/report/html/html_text.h"
#include "check/report/html/html_writer.h"
#include "check/report/outcome.h"
#include "check/report/report_writer.h"
#include "check/warnings/setup_kind_lint.h"
#include "check/trace.h"
#include "platform/clock.h"
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

CommandResult Fail(const std::string& program, const std::string& message) {
  return CommandResult{kCannotCheck, "", program + ": " + message + "\n"};
}

// A Pomvarin.ini for folder, on standard output as the file's own bytes.
CommandResult RunInit(const std::string& program, const std::string& folder) {
  if (!folder.empty() && !platform::ChangeDirectory(folder.c_str()))
    return Fail(program, "cannot enter the folder " + folder);
  const WrittenIni ini = WriteDiscIni();
  if (ini.status == kCannotCheck) return Fail(program, ini.error);
  return CommandResult{ini.status, ini.text, "", true};
}

// Enters the disc: folder as the current directory, or the image it names
// put in place as a drive's root.
bool EnterDisc(const Options& options, ImageDrive* image, std::string* error) {
  if (options.folder.empty()) return true;
  if (NamesAFile(options.folder))
    return image->Open(options.folder, options.drive, kConfigurationLimit,
                       error);
  if (platform::ChangeDirectory(options.folder.c_str())) return true;
  *error = "cannot enter the folder " + options.folder;
  return false;
}

CommandResult RunListFiles(const std::string& program, const Options& options) {
  ImageDrive image;
  std::string error;
  if (!EnterDisc(options, &image, &error)) return Fail(program, error);
  return CommandResult{kNothingWrong, ListFiles(), ""};
}

std::string Now() { return UtcTimeText(platform::SecondsSince1970()); }

// Writes the page --html asks for. The report on standard output stands
// either way; a page that cannot be written makes the status 2.
void WritePage(const std::string& program, const std::string& path,
               const std::string& page, CommandResult* result) {
  std::string reason;
  if (platform::WriteFileWhole(path, page, &reason)) return;
  result->status = kCannotCheck;
  result->err += program + ": cannot write " + path + ": " + reason + "\n";
}

// Enters the disc, a folder or an image, when one is given, and reads it;
// the reason when no check can be made, else empty.
std::string OpenDisc(const Options& options, ImageDrive* image,
                     DiscCheck& disc) {
  std::string error;
  if (!EnterDisc(options, image, &error)) return error;
  switch (disc.Open()) {
    case CheckOutcome::kNoCurrentDirectory:
      return "the folder's path cannot be read or is longer than the "
             "launcher's limit of 259 characters: the launcher would "
             "read no Pomvarin.ini there";
    case CheckOutcome::kUnreadableConfiguration:
      return std::string("cannot read ") + disc.configurationPath();
    case CheckOutcome::kConfigurationTooLarge:
      return disc.configurationPath() + std::string(": larger than ") +
             LimitText(kConfigurationLimit) +
             ", the most the check reads of a Pomvarin.ini: a disc's is a "
             "few KB";
    case CheckOutcome::kChecked:
      break;
  }
  return "";
}

// The image the disc was read from, if it was one.
DiscImage ImageOf(const Options& options, const ImageDrive& image) {
  if (!image.read().read) return DiscImage{};
  return DiscImage{options.folder, TreeName(image.read().tree), options.drive,
                   image.read().skips};
}

// The --target decoration, or null for none (or one that does not parse:
// the options have refused it then).
const InfTarget* Target(const Options& options, InfTarget* target) {
  return !options.target.empty() && ParseInfTarget(options.target, target)
             ? target
             : nullptr;
}

// Many machines: each capture is read and its configuration, when new,
// checked at once. The disc is entered and read when the first capture is
// in, so that captures that cannot be read are told before a disc that
// cannot be; the captures are then read by their absolute paths.
CommandResult RunFleet(const std::string& program, const Options& options,
                       const ReportWriter& writer, LiveOutput& live) {
  std::string error, pagePath;
  if (!options.html.empty() &&
      !platform::AbsolutePath(options.html, &pagePath, &error))
    return Fail(program, "cannot write " + options.html + ": " + error);
  std::vector<CaptureArgument> captures;
  for (const std::string& given : options.captures) {
    std::string absolute;
    if (!platform::AbsolutePath(given, &absolute, &error)) absolute = given;
    captures.push_back({given, absolute});
  }
  ImageDrive image;
  DiscCheck disc;
  std::string discError;
  InfTarget target;
  FleetCheck check(disc, Target(options, &target), [&] {
    discError = OpenDisc(options, &image, disc);
    return discError.empty();
  });
  std::vector<SkippedCapture> skipped;
  const bool allRead = ReadMachines(captures, check, &skipped);
  if (!discError.empty()) return Fail(program, discError);
  std::string skippedText;
  for (const SkippedCapture& file : skipped)
    if (file.unreadable) skippedText += program + ": " + file.reason + "\n";
  if (check.empty())
    return CommandResult{kCannotCheck, "",
                         skippedText + program + ": no capture to check\n"};
  FleetResults results = check.Finish(std::move(skipped));
  results.image = ImageOf(options, image);
  CommandResult result{FleetStatus(allRead, results), "", skippedText};
  if (options.jsonLines)
    WriteJsonLines(results, [&](const std::string& lines) { live.Print(lines); });
  else
    result.out = writer.Fleet(results);
  if (!pagePath.empty())
    WritePage(program, pagePath, HtmlFleet(results, Now()), &result);
  return result;
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
  if (options.init) return RunInit(program, options.folder);
  if (options.listFiles) return RunListFiles(program, options);

  const std::unique_ptr<ReportWriter> writer =
      options.json ? MakeJsonWriter() : MakeTextWriter();
  if (options.list) {
    Devices devices;
    if (!ReadDevices(options.captures, &devices, &error))
      return Fail(program, error);
    return CommandResult{kNothingWrong, writer->DeviceList(devices),
                         DeviceNotes(devices)};
  }

  // One file may be an export of many machines, checked as a fleet too.
  const bool fleet = options.jsonLines || options.captures.size() > 1 ||
                     (options.captures.size() == 1 &&
                      (IsFolder(options.captures[0]) ||
                       HoldsManyMachines(options.captures[0])));
  // The page's file is named from where the command was given, not from the
  // disc's folder that the check enters.
  std::string pagePath;
  if (fleet) return RunFleet(program, options, *writer, live);
  // In a list of one, as the packages' analysis takes it, never copied: its
  // report can hold many warnings.
  std::vector<Configuration> checked{Configuration{
      {options.captures.empty() ? "" : FileName(options.captures[0])}, {}, {}}};
  Configuration& machine = checked[0];
  if (!ReadDevices(options.captures, &machine.devices, &error))
    return Fail(program, error);
  if (!options.html.empty() &&
      !platform::AbsolutePath(options.html, &pagePath, &error))
    return Fail(program, "cannot write " + options.html + ": " + error);
  ImageDrive image;
  DiscCheck disc;
  const std::string discError = OpenDisc(options, &image, disc);
  if (!discError.empty()) return Fail(program, discError);
  const DeviceOrigin origin = options.captures.empty() ? DeviceOrigin::kPresent
                                                       : DeviceOrigin::kCapture;
  disc.Check(machine.devices, origin, &machine.report);
  machine.report.image = ImageOf(options, image);
  SetupKindLint kindLint;
  kindLint.LintStartsTogether(machine.report, "this machine",
                              &machine.report.warnings);
  InfTarget target;
  const FleetReport packages =
      CheckFleet(checked, Target(options, &target));
  const int status = CheckStatus(true, machine.report.warnings, packages);
  const DeviceSource source{options.captures.empty() ? "" : options.captures[0],
                            machine.devices.size(), NotesOf(machine.devices)};
  CommandResult result{status, writer->SingleMachine(machine, source, packages),
                       ""};
  if (!pagePath.empty())
    WritePage(program, pagePath,
              HtmlSingleMachine(machine, source, packages, Now()), &result);
  return result;
}

}  // namespace pomvarin::check
