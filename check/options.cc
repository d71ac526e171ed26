// The options read from the command line, and the usage and help telling them.
#include "check/options.h"

#include "check/capture/capture_formats.h"
#include "check/packages/inf.h"
#include "platform/help_switch.h"

namespace pomvarin::check {

namespace {

// One line each, so that a new format needs no rewrapping.
std::string CaptureFormatLines() {
  std::string lines;
  for (const capture::CaptureFormat& format : capture::CaptureFormats())
    if (format.named)
      lines += std::string("                    ") + format.name + "\n";
  return lines;
}

bool IsHelpSwitch(const std::string& argument) {
  return argument == "--help" || argument == "-h" ||
         (argument == "/?" && platform::HasSlashHelpSwitch());
}

}  // namespace

std::string ShortUsage(const std::string& program) {
  return "usage: " + program +
         " [FOLDER|IMAGE] [--devices FILE|DIR]... [--target DECORATION]"
         " [--json | --json-lines] [--html FILE] [--drive LETTER]\n"
         "       " + program + " --list-files [FOLDER|IMAGE] [--drive LETTER]\n"
         "       " + program + " --list [--devices FILE] [--json]\n"
         "       " + program + " --trace [FOLDER] [-- ARGUMENTS]\n"
         "       " + program + " --init [FOLDER]\n"
         "       " + program + " --help | --version\n";
}

std::string Help(const std::string& program) {
  return ShortUsage(program) +
         "\n"
         "Shows what the launcher would do with FOLDER\\Pomvarin.ini (default:\n"
         "the current directory) and warns of what looks wrong in it. Nothing\n"
         "is started and no box is shown, except with --trace.\n"
         "\n"
         "An IMAGE, a file in FOLDER's place, is a disc (ISO 9660 with Joliet)\n"
         "or a stick (FAT12, FAT16, FAT32), told by its content: it is checked\n"
         "as the root of a drive, read as Windows lists it (which tree, names,\n"
         "attributes, order).\n"
         "\n"
         "  --list          print the PCI devices, one per line with all their\n"
         "                  hardware IDs: a capture to check a disc against\n"
         "  --devices FILE  use the devices of a capture instead of the present\n"
         "                  ones; given again, or naming a folder of captures (one\n"
         "                  file a machine), checks the disc over all those\n"
         "                  machines. A capture is the saved output of one of:\n" +
         CaptureFormatLines() +
         "  --target DECORATION\n"
         "                  read the .inf files for one system, as a models\n"
         "                  section decoration names it:\n"
         "                  NTarch.major.minor.producttype.suitemask.build\n"
         "                  (NTamd64.10.0...19045, NTx86.6.1.3 for a server);\n"
         "                  left out are x86, the newest version and build, a\n"
         "                  workstation and no suite. Without it every\n"
         "                  decorated models section counts\n"
         "  --json          print JSON instead of text\n"
         "  --json-lines    print one line of JSON for each machine of --devices,\n"
         "                  in the order read, instead of the report\n"
         "  --html FILE     also write the report as one HTML page to FILE, to\n"
         "                  look at, share and print; the text or JSON report\n"
         "                  still goes to standard output\n"
         "  --trace         run the launcher beside this program in FOLDER with\n"
         "                  the ARGUMENTS after --, and print its trace lines as\n"
         "                  they come, then its exit status. This is a real run:\n"
         "                  the setups it finds start, and the warning box\n"
         "                  appears and waits until it is closed\n"
         "  --init          print a Pomvarin.ini for FOLDER, made from its own\n"
         "                  folders: a VendorInfo section for each folder that\n"
         "                  holds a setup program and .inf files listing PCI\n"
         "                  devices; comments say what to look at. Exit status\n"
         "                  0 written without doubts, 1 with comments to read,\n"
         "                  2 nothing could be written\n"
         "  --drive LETTER  the drive an IMAGE is read as (default D)\n"
         "  --list-files    print every entry that the launcher's search is\n"
         "                  given, in the order of its walk, with its\n"
         "                  attributes\n"
         "  --help          print this help" +
         (platform::HasSlashHelpSwitch() ? " (also /?)" : "") +
         "\n"
         "  --version       print the version\n"
         "\n"
         "Exit status: 0 nothing wrong, 1 warnings, 2 the check could not be\n"
         "made (Pomvarin.ini, the folder or the devices cannot be read), the\n"
         "command line is wrong or the --html page cannot be written. With\n"
         "--trace: 0 the launcher exited with 0, 1 with another status, 2 it\n"
         "could not be found or started.\n";
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
    } else if (argument == "--json-lines") {
      options->jsonLines = true;
    } else if (IsHelpSwitch(argument)) {
      options->help = true;
    } else if (argument == "--version") {
      options->version = true;
    } else if (argument == "--trace") {
      options->trace = true;
    } else if (argument == "--init") {
      options->init = true;
    } else if (argument == "--list-files") {
      options->listFiles = true;
    } else if (argument == "--drive") {
      const std::string letter = i + 1 < arguments.size() ? arguments[i + 1] : "";
      const char c = letter.empty() ? '\0' : letter[0];
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) ||
          !(letter.size() == 1 || letter.substr(1) == ":")) {
        *error = "--drive needs a letter such as E";
        return false;
      }
      options->drive = c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
      ++i;
    } else if (argument == "--devices") {
      if (i + 1 == arguments.size()) {
        *error = "--devices needs a file";
        return false;
      }
      options->captures.push_back(arguments[++i]);
    } else if (argument == "--html") {
      if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
        *error = "--html needs a file";
        return false;
      }
      options->html = arguments[++i];
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
  if (options->jsonLines &&
      (options->json || options->list || options->trace || options->init ||
       options->captures.empty())) {
    *error = "--json-lines takes --devices, and no --json, --list, --trace or --init";
    return false;
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
  if (options->init && (options->list || options->json || options->trace ||
                        !options->captures.empty() || !options->target.empty() ||
                        !options->html.empty())) {
    *error = "--init takes only a folder";
    return false;
  }
  if (!options->html.empty() && (options->list || options->trace)) {
    *error = "--html takes no --list or --trace";
    return false;
  }
  if (options->list && options->captures.size() > 1) {
    *error = "--list takes one --devices";
    return false;
  }
  if (options->listFiles &&
      (options->list || options->json || options->trace || options->init ||
       !options->captures.empty() || !options->target.empty() ||
       !options->html.empty())) {
    *error = "--list-files takes only a folder or an image, and --drive";
    return false;
  }
  if (options->launcherArgumentsGiven && !options->trace) {
    *error = "arguments after -- are the launcher's, for --trace";
    return false;
  }
  return true;
}

}  // namespace pomvarin::check
