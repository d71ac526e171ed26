#include "check/command.h"

#include <memory>

#include "check/check.h"
#include "check/capture/capture.h"
#include "check/fleet/fleet_analysis.h"
#include "check/packages/inf.h"
#include "check/init/disc_ini.h"
#include "check/input/input_limits.h"
#include "check/fleet/machines.h"
#include "check/image/image_drive.h"
#include "check/listing/list_files.h"
#include "check/options.h"
#include "check/report/html_text.h"
#include "check/report/html_writer.h"
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

  const bool fleet = options.captures.size() > 1 ||
                     (options.captures.size() == 1 && IsFolder(options.captures[0]));
  std::vector<Configuration> configurations;
  std::vector<SkippedCapture> skipped;
  bool allRead = true;
  if (fleet) {
    allRead = ReadConfigurations(options.captures, &configurations, &skipped);
  } else {
    Configuration machine{
        {options.captures.empty() ? "" : FileName(options.captures[0])}, {}, {}};
    if (!ReadDevices(options.captures, &machine.devices, &error))
      return Fail(program, error);
    configurations.push_back(machine);
  }
  std::string skippedText;
  for (const SkippedCapture& file : skipped)
    if (file.unreadable) skippedText += program + ": " + file.reason + "\n";
  if (configurations.empty())
    return CommandResult{kCannotCheck, "",
                         skippedText + program + ": no capture to check\n"};

  // The page's file is named from where the command was given, not from the
  // disc's folder that the check enters.
  std::string pagePath;
  if (!options.html.empty() &&
      !platform::AbsolutePath(options.html, &pagePath, &error))
    return Fail(program, "cannot write " + options.html + ": " + error);
  ImageDrive image;
  if (!EnterDisc(options, &image, &error)) return Fail(program, error);
  DiscCheck disc;
  switch (disc.Open()) {
    case CheckOutcome::kNoCurrentDirectory:
      return Fail(program,
                  "the folder's path cannot be read or is longer than the "
                  "launcher's limit of 259 characters: the launcher would "
                  "read no Pomvarin.ini there");
    case CheckOutcome::kUnreadableConfiguration:
      return Fail(program, std::string("cannot read ") + disc.configurationPath());
    case CheckOutcome::kConfigurationTooLarge:
      return Fail(program, disc.configurationPath() + std::string(": larger than ") +
                               LimitText(kConfigurationLimit) +
                               ", the most the check reads of a Pomvarin.ini: "
                               "a disc's is a few KB");
    case CheckOutcome::kChecked:
      break;
  }
  const DeviceOrigin origin = options.captures.empty() ? DeviceOrigin::kPresent
                                                       : DeviceOrigin::kCapture;
  DistinctWarnings distinct;
  SetupKindLint kindLint;
  for (std::size_t c = 0; c < configurations.size(); ++c) {
    Configuration& configuration = configurations[c];
    disc.Check(configuration.devices, origin, &configuration.report);
    if (image.read().read)
      configuration.report.image =
          DiscImage{options.folder, TreeName(image.read().tree), options.drive,
                    image.read().skips};
    kindLint.LintStartsTogether(configuration.report,
                                fleet ? "configuration " + std::to_string(c + 1)
                                      : "this machine",
                                &configuration.report.warnings);
    // A fleet's report shows the warnings over all machines only.
    if (fleet) distinct.Add(std::move(configuration.report.warnings));
  }
  InfTarget target;
  const bool targeted = !options.target.empty() &&
                        ParseInfTarget(options.target, &target);
  const FleetReport packages =
      CheckFleet(configurations, targeted ? &target : nullptr);
  const std::vector<Warning>& warnings =
      fleet ? distinct.warnings() : configurations[0].report.warnings;
  const int status = CheckStatus(allRead, warnings, packages);
  if (fleet) {
    CommandResult result{
        status, writer->Fleet(configurations, skipped, warnings, packages),
        skippedText};
    if (!pagePath.empty())
      WritePage(program, pagePath,
                HtmlFleet(configurations, skipped, warnings, packages, Now()),
                &result);
    return result;
  }
  const Configuration& machine = configurations[0];
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
