// The text --init prints: a section per vendor folder, comments on doubts.
#include "check/init/disc_ini.h"

#include <map>
#include <vector>

#include "check/init/setup_programs.h"
#include "check/init/vendor_folders.h"
#include "check/pass_recorder.h"
#include "check/report/outcome.h"
#include "common/text.h"
#include "platform/platform.h"

namespace pomvarin::check {

namespace {

constexpr std::size_t kValueLimit = kTextSize - 1;

struct Section {
  std::vector<std::string> comments;
  std::string venName, venId, rootDir, setupFileName, silentInstall;
};

bool PrintableAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7E) return false;
  return !text.empty();
}

// Why root and the setup's name cannot be written as values the launcher
// reads back unchanged; empty when they can.
std::string Inexpressible(const std::string& root, const std::string& name) {
  if (name.find(' ') != std::string::npos)
    return "the setup's name holds a blank, where the launcher ends a file "
           "name and begins its parameters";
  if (name.find('"') != std::string::npos)
    return "the setup's name holds a quote, which no listed name equals";
  if ((root + name).find_first_of("\r\n") != std::string::npos)
    return "its path holds a line break, which ends a value";
  if (!root.empty() && (root.back() == ' ' || root.back() == '\t'))
    return "its path ends in a blank, which the profile reader trims";
  if (root.size() > kValueLimit)
    return "its path below the disc is longer than the 259 characters a "
           "value holds";
  return "";
}

// The maker's name as the packages give it when the profile reader passes
// it unchanged in any code page, else the folder's own name.
std::string VenName(const FolderVendor& vendor, const SetupProgram& setup) {
  for (const std::string& maker : vendor.makers)
    if (PrintableAscii(maker) && maker.size() <= kValueLimit) return maker;
  return setup.folder.substr(setup.folder.rfind('\\') + 1);
}

// The switches that run the setup unseen and keep it from restarting
// Windows; false when its kind has none of its own.
bool SilentSwitchesOf(const SetupProgram& setup, std::string* switches,
                      std::vector<std::string>* comments) {
  *switches = RecommendedSwitches(setup.kind);
  if (switches->empty()) return false;
  if (setup.kind == SetupKind::kInstallShield)
    comments->push_back(
        "SilentInstall's switches are those of an InstallShield setup built "
        "on Windows Installer; an InstallScript one needs /s /f1 naming a "
        "response file recorded with /r, on the disc");
  return true;
}

std::string Article(const std::string& name) {
  return (name.find_first_of("aeiouAEIOU") == 0 ? "an " : "a ") + name;
}

std::string Line(const std::string& text) { return text + "\r\n"; }

std::string Comment(const std::string& text) { return Line("; " + text); }

bool Doubtful(const std::vector<Section>& sections,
              const std::vector<LeftOut>& leftOut) {
  if (!leftOut.empty()) return true;
  for (const Section& section : sections)
    if (!section.comments.empty()) return true;
  return false;
}

std::string IniText(const std::vector<Section>& sections,
                    const std::string& disc,
                    const std::vector<LeftOut>& leftOut) {
  std::string text =
      Comment("Pomvarin.ini written by pomvarin-check --init from the disc's "
              "own folders:") +
      Comment("a VendorInfo section for each folder that holds a setup "
              "program and, at") +
      Comment("or below it, .inf files that list PCI devices. Comments name "
              "what to look at.");
  for (const LeftOut& left : leftOut)
    text += Comment("Left out " + RootDirValue(disc, left.folder) + ": " + left.why);
  text += Line("") + Line("[PomvarinInfo]") +
          Line("VendorCount=" + std::to_string(sections.size()));
  for (std::size_t n = 0; n < sections.size(); ++n) {
    const Section& section = sections[n];
    text += Line("");
    for (const std::string& comment : section.comments) text += Comment(comment);
    text += Line("[VendorInfo" + std::to_string(n + 1) + "]") +
            Line("VenName=" + section.venName) + Line("VenID=" + section.venId) +
            Line("SetupFileRootDir=" + section.rootDir) +
            Line("SetupFileName=" + section.setupFileName) +
            Line("SilentInstall=" + section.silentInstall);
  }
  return text;
}

}  // namespace

WrittenIni WriteDiscIni() {
  Text disc;
  if (!platform::ReadCurrentDirectory(disc))
    return WrittenIni{kCannotCheck, "",
                      "the folder cannot be read, or its path is longer than "
                      "the launcher reads"};
  std::map<std::string, Package> packages;
  std::vector<std::string> infFiles;
  ReadPackagesBelow(disc, nullptr, &packages, &infFiles);
  VendorFolders folders =
      FindVendorFolders(disc, FindSetupPrograms(disc), packages);

  SetupSearches searches;
  std::vector<Section> sections;
  for (const VendorFolder& folder : folders.kept) {
    const SetupProgram& setup = folder.setup;
    const std::string root = RootDirValue(disc, setup.folder);
    const std::string why = Inexpressible(root, setup.name);
    if (!why.empty()) {
      folders.leftOut.push_back(LeftOut{setup.folder, why});
      continue;
    }
    std::vector<std::string> comments;
    bool reached = false;
    for (const SetupFile& file :
         searches.Find((disc + root).c_str(), setup.name.c_str())) {
      if (file.path == setup.path)
        reached = true;
      else
        comments.push_back("the search for " + setup.name + " from this root also starts " +
                           RootDirValue(disc, file.path));
    }
    if (!reached) {
      folders.leftOut.push_back(LeftOut{
          setup.folder, "the launcher's search from it does not reach " + setup.name});
      continue;
    }
    for (const std::string& package : folder.unreadPackages)
      comments.push_back(RootDirValue(disc, package) +
                         " is an .inf Windows refuses: its devices are not "
                         "in the VenID");
    if (folder.vendors.size() > 1) {
      std::string vendors;
      for (const FolderVendor& vendor : folder.vendors)
        vendors += (vendors.empty() ? "" : ", ") + vendor.venId.substr(0, 8);
      comments.push_back(
          "its packages serve devices of more than one vendor (" + vendors +
          "): a section for each, all starting the same setup, which a "
          "machine with devices of more than one starts more than once");
    }
    std::string silent = setup.name;
    std::string switches;
    if (!SilentSwitchesOf(setup, &switches, &comments)) {
      comments.push_back("fill in SilentInstall's switches: " + setup.name +
                         " is " + Article(SetupKindName(setup.kind)) +
                         ", whose switches depend on what it runs");
    } else if (silent.size() + 1 + switches.size() > kValueLimit) {
      comments.push_back("SilentInstall holds the name alone: with its "
                         "switches it passes the 259 characters a value holds");
    } else {
      silent += " " + switches;
    }
    for (const FolderVendor& vendor : folder.vendors) {
      Section section{comments, VenName(vendor, setup), vendor.venId,
                      root, setup.name, silent};
      for (const VendorFolder& other : folders.kept) {
        if (&other == &folder) continue;
        for (const std::string& id : other.ids) {
          if (!MayServe(vendor.venId, id)) continue;
          section.comments.push_back(
              vendor.venId + " also occurs in " + id + ", which " +
              RootDirValue(disc, other.setup.folder) +
              " serves: a machine with it starts this setup too, which does "
              "not serve it (a false start)");
          break;
        }
      }
      sections.push_back(std::move(section));
    }
  }
  if (sections.empty()) {
    std::string error = "no folder below " + std::string(disc) +
                        " holds a setup program and .inf files that list PCI "
                        "devices at or below it";
    for (const LeftOut& left : folders.leftOut)
      error += "\n  left out " + RootDirValue(disc, left.folder) + ": " + left.why;
    return WrittenIni{kCannotCheck, "", error};
  }
  return WrittenIni{Doubtful(sections, folders.leftOut) ? kWarnings : kNothingWrong,
                    IniText(sections, disc, folders.leftOut), ""};
}

}  // namespace pomvarin::check
