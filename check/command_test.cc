// The command line end to end: what each use prints, and its exit status.
#include "check/command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "check/capture/capture.h"
#include "check/capture/capture_formats.h"
#include "check/input/input_limits.h"
#include "platform/help_switch.h"
#include "pomvarin_version.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::TempDisc;

const char kCapture[] =
    "PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00 PCI\\VEN_8086&DEV_0D57\n";

// Collects what --trace prints as it happens.
class CollectedOutput : public LiveOutput {
 public:
  void Print(const std::string& text) override { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

CommandResult RunCheck(const std::vector<std::string>& arguments) {
  CollectedOutput live;
  const CommandResult result = RunCommand("pomvarin-check", arguments, live);
  EXPECT_EQ(live.text(), "") << "printed as it happened";
  return result;
}

TEST(CommandTest, ArgumentsItCannotUseGiveStatus2AndAShortUsage) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},          {"one", "two"},     {"--devices"},
      {"--list", "folder"}, {"--trace", "--json"},
      {"--list", "--trace"}, {"--trace", "--devices", "capture.txt"},
      {"folder", "--", "/s"}, {"--target", "Win10"},
      {"--list", "--devices", "a", "--devices", "b"}, {"--html"},
      {"--list", "--html", "page.html"}, {"--trace", "--html", "page.html"},
      {"--drive"}, {"--drive", "1"}, {"--drive", "EF"},
      {"--list-files", "--json"}, {"--list-files", "--devices", "a"}};
  for (const auto& arguments : cases) {
    const CommandResult result = RunCheck(arguments);
    EXPECT_EQ(result.status, kCannotCheck) << arguments[0];
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err.rfind("pomvarin-check: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("\nusage: pomvarin-check [FOLDER|IMAGE]"),
              std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Exit status"), std::string::npos)
        << "the whole help instead of the usage";
  }
}

TEST(CommandTest, HelpAndVersionGoToStandardOutput) {
  for (const char* option : {"--help", "-h"}) {
    const CommandResult help = RunCheck({"folder", option});
    EXPECT_EQ(help.status, kNothingWrong);
    EXPECT_EQ(help.out.rfind("usage: pomvarin-check [FOLDER|IMAGE]", 0), 0u);
    EXPECT_NE(help.out.find("--trace [FOLDER] [-- ARGUMENTS]"),
              std::string::npos);
    EXPECT_NE(help.out.find("the setups it finds start"), std::string::npos);
    for (const capture::CaptureFormat& format : capture::CaptureFormats())
      EXPECT_EQ(help.out.find(format.name) != std::string::npos, format.named)
          << format.name;
    EXPECT_EQ(help.err, "");
  }
  // "/?" is the help where the system knows it, elsewhere a folder's name.
  const CommandResult slash = RunCheck({"/?"});
  if (platform::HasSlashHelpSwitch()) {
    EXPECT_EQ(slash.status, kNothingWrong);
    EXPECT_EQ(slash.out.rfind("usage: ", 0), 0u);
  } else {
    EXPECT_EQ(slash.status, kCannotCheck);
    EXPECT_NE(slash.err.find("cannot enter the folder /?"), std::string::npos);
  }
  const CommandResult version = RunCheck({"--version"});
  EXPECT_EQ(version.status, kNothingWrong);
  EXPECT_EQ(version.out, "pomvarin-check " POMVARIN_VERSION "\n");
}

TEST(CommandTest, ListsACaptureInTheListForm) {
  TempDisc disc;
  disc.Write("devices.txt", kCapture);
  const CommandResult result = RunCheck({"--list", "--devices", "devices.txt"});
  EXPECT_EQ(result.status, kNothingWrong) << result.err;
  Devices devices;
  CaptureError error;
  ASSERT_TRUE(ReadDeviceCapture(kCapture, &devices, &error));
  EXPECT_EQ(result.out, FormatDeviceList(devices));

  const CommandResult json =
      RunCheck({"--list", "--json", "--devices", "devices.txt"});
  EXPECT_EQ(json.out,
            "{\"devices\": [\n"
            "  [\"PCI\\\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00\", "
            "\"PCI\\\\VEN_8086&DEV_0D57\"]\n"
            "]}\n");
}

// An empty file was read, and is refused as no capture, not as unreadable.
TEST(CommandTest, RefusesWhatIsNoCaptureNamingTheFileAndTheLine) {
  TempDisc disc;
  disc.Write("prose.txt", "Hello,\nthis is no capture.\n");
  disc.Write("empty.txt", "");
  for (const char* name : {"prose.txt", "empty.txt"}) {
    const CommandResult result = RunCheck({"--list", "--devices", name});
    EXPECT_EQ(result.status, kCannotCheck) << name;
    EXPECT_EQ(result.out, "") << name;
    EXPECT_NE(result.err.find(std::string(name) + ", line 1: expected "),
              std::string::npos)
        << result.err;
  }
}

TEST(CommandTest, NotesWhatACaptureCannotTell) {
  TempDisc disc;
  disc.Write("bridge.txt",
             "Slot:\t00:1c.0\nClass:\tPCI bridge [0604]\n"
             "Vendor:\tIntel Corporation [8086]\nDevice:\tRoot Port [a110]\n");
  const CommandResult list = RunCheck({"--list", "--devices", "bridge.txt"});
  EXPECT_EQ(list.status, kNothingWrong) << list.err;
  EXPECT_EQ(list.err.rfind("note: PCI\\VEN_8086&DEV_A110&SUBSYS_00000000&REV_00 "
                           "(capture line 1): a PCI-to-PCI bridge",
                           0),
            0u)
      << list.err;
  disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=0\n");
  const CommandResult check =
      RunCheck({disc.path().string(), "--devices", "bridge.txt", "--json"});
  EXPECT_NE(check.out.find("\"notes\": [\"PCI\\\\VEN_8086&DEV_A110"),
            std::string::npos)
      << check.out;
  // A warning where the entry's answer hangs on the digits not captured.
  const struct {
    const char* venId;
    bool depends;
  } cases[] = {{"SUBSYS_17AA", true}, {"00000000", true},
               {"DEV_A110", false}, {"&REV_00", false}, {"VEN_10EC", false}};
  for (const auto& c : cases) {
    disc.Write("Pomvarin.ini",
               std::string("[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\n"
                           "VenName=x\nSetupFileRootDir=\\x\nSetupFileName=s\n"
                           "SilentInstall=s\nVenID=") + c.venId + "\n");
    const CommandResult result =
        RunCheck({disc.path().string(), "--devices", "bridge.txt"});
    EXPECT_EQ(result.out.find("depends on its SUBSYS_ digits") !=
                  std::string::npos,
              c.depends)
        << c.venId << "\n" << result.out;
  }
}

TEST(CommandTest, StatusTellsWarningsFromACleanDiscAndFromNoCheck) {
  TempDisc disc;
  disc.Write("devices.txt", kCapture);
  disc.Write("bad/Pomvarin.ini", "[PomvarinInfo]\nVendorCount=1\n");
  disc.Write("good/Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Intel\n"
             "VenID=VEN_8086\nSetupFileRootDir=\\Intel\nSetupFileName=s.exe\n"
             "SilentInstall=s.exe /q\n");
  disc.Write("good/Intel/s.exe");
  disc.MakeFolder("empty");
  const std::string capture = (disc.path() / "devices.txt").string();

  const CommandResult good = RunCheck({"good", "--devices", capture});
  EXPECT_EQ(good.status, kNothingWrong) << good.out;
  EXPECT_NE(good.out.find("and show no warning box."), std::string::npos);

  const CommandResult bad = RunCheck({(disc.path() / "bad").string(), "--devices",
                                 capture, "--json"});
  EXPECT_EQ(bad.status, kWarnings);
  EXPECT_EQ(bad.out.rfind("{\n", 0), 0u);
  EXPECT_NE(bad.out.find("\"warningBox\": true"), std::string::npos);

  const CommandResult empty = RunCheck({(disc.path() / "empty").string(),
                                   "--devices", capture});
  EXPECT_EQ(empty.status, kCannotCheck);
  EXPECT_NE(empty.err.find("cannot read "), std::string::npos) << empty.err;

  EXPECT_EQ(RunCheck({(disc.path() / "none").string(), "--devices", capture}).status,
            kCannotCheck);

  disc.Write("large/Pomvarin.ini", std::string(kConfigurationLimit + 1, ';'));
  const CommandResult large = RunCheck({(disc.path() / "large").string(),
                                        "--devices", capture});
  EXPECT_EQ(large.status, kCannotCheck);
  EXPECT_EQ(large.out, "");
  EXPECT_NE(large.err.find("Pomvarin.ini: larger than 1 MiB, the most the "
                           "check reads"),
            std::string::npos) << large.err;
  EXPECT_EQ(RunCheck({"--devices", (disc.path() / "none.txt").string()}).status,
            kCannotCheck);
}

// --html writes the page as well as the report, at the path as named where
// the command was given; a page that cannot be written fails the run and
// leaves nothing behind.
TEST(CommandTest, WritesTheHtmlPageWholeOrFailsTheRun) {
  TempDisc disc;
  disc.Write("devices.txt", kCapture);
  disc.Write("good/Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Intel\n"
             "VenID=VEN_8086\nSetupFileRootDir=\\Intel\nSetupFileName=s.exe\n"
             "SilentInstall=s.exe /q\n");
  disc.Write("good/Intel/s.exe");
  // Each run enters the disc's folder: it starts again where it was given.
  const auto run = [&](std::vector<std::string> arguments) {
    std::filesystem::current_path(disc.path());
    arguments.insert(arguments.begin(), {"good", "--devices", "devices.txt"});
    return RunCheck(arguments);
  };

  const CommandResult paged = run({"--json", "--html", "page.html"});
  EXPECT_EQ(paged.status, kNothingWrong) << paged.err;
  EXPECT_EQ(paged.out, run({"--json"}).out);
  std::ifstream file(disc.path() / "page.html", std::ios::binary);
  const std::string page{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.find("<td class=matched title=\"PCI\\VEN_8086&amp;DEV_0D57&amp;"),
            std::string::npos) << page;

  for (const char* target : {"missing/page.html", "good"}) {
    const CommandResult failed = run({"--html", target});
    EXPECT_EQ(failed.status, kCannotCheck) << target;
    EXPECT_NE(failed.out.find("and show no warning box."), std::string::npos);
    EXPECT_EQ(failed.err.rfind("pomvarin-check: cannot write ", 0), 0u)
        << failed.err;
  }
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(disc.path()))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"devices.txt", "good", "page.html"}));
}

// Several machines: a folder of captures and a file more; what is no
// capture is named and skipped, what cannot be read makes the status 2
// while the rest is still reported.
TEST(CommandTest, ChecksADiscOverSeveralMachines) {
  TempDisc disc;
  disc.Write("disc/Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=Intel\n"
             "VenID=8086\nSetupFileRootDir=\\Intel\nSetupFileName=s.exe\n"
             "SilentInstall=s.exe /q\n");
  disc.Write("disc/Intel/s.exe");
  disc.Write("disc/Intel/i.inf",
             "[Version]\nSignature=$Windows NT$\n[Manufacturer]\nM=Models\n"
             "[Models]\nd = i, PCI\\VEN_8086&DEV_0D57\n");
  disc.Write("pcs/a.txt", kCapture);
  disc.Write("pcs/c.txt", kCapture);  // the same devices: one configuration
  disc.Write("pcs/notes.md", "Hello,\nthis is no capture.\n");
  disc.Write("b.txt", "PCI\\VEN_10EC&DEV_8168&SUBSYS_20368086&REV_06\n");
  const std::string root = disc.path().string();

  const CommandResult text = RunCheck({root + "/disc", "--devices", root + "/pcs",
                                       "--devices", root + "/b.txt"});
  EXPECT_EQ(text.status, kWarnings) << text.out << text.err;
  EXPECT_NE(text.out.find("Machines:     3 machines in 2 configurations, 1 outcome\n"),
            std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  configuration 1: 1 device; outcome 1; 2 machines: a.txt, c.txt\n"
                          "  configuration 2: 1 device; outcome 1; 1 machine: b.txt\n"),
            std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  outcome 1: 3 machines in 2 configurations: a.txt, c.txt, b.txt\n"
                          "    matched: VendorInfo1\n"),
            std::string::npos) << text.out;
  EXPECT_NE(text.out.find("notes.md, line 1: expected"), std::string::npos);
  EXPECT_NE(text.out.find("false start (entry VendorInfo1, on 1 machine)"),
            std::string::npos) << text.out;

  const CommandResult json = RunCheck({root + "/disc", "--json", "--devices",
                                       root + "/pcs", "--devices", root + "/none.txt"});
  EXPECT_EQ(json.status, kCannotCheck);
  EXPECT_NE(json.err.find("cannot read the capture " + root + "/none.txt"),
            std::string::npos) << json.err;
  EXPECT_NE(json.out.find("\"configurations\": [\n    {\"number\": 1, "
                          "\"machineCount\": 2, \"machines\": [\"a.txt\", "
                          "\"c.txt\"], \"devices\": 1, \"notes\": [], "
                          "\"outcome\": 1, \"warningBox\": false"),
            std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"infFiles\": 1,"), std::string::npos);

  // One capture: today's report, the packages' part added.
  const CommandResult one = RunCheck({root + "/disc", "--devices", root + "/b.txt"});
  EXPECT_EQ(one.out.rfind("Pomvarin.ini: ", 0), 0u);
  EXPECT_NE(one.out.find("Summary: 1 of 1 vendor entry match."), std::string::npos);
  EXPECT_NE(one.out.find("\nDriver packages: 1 .inf files\n"), std::string::npos)
      << one.out;
  const CommandResult oneJson =
      RunCheck({root + "/disc", "--json", "--devices", root + "/b.txt"});
  EXPECT_NE(oneJson.out.find("\"warningBox\": false,\n  \"summary\": "),
            std::string::npos);
  EXPECT_NE(oneJson.out.find("\"packageWarnings\": [\n    {\"kind\": \"falseStart\""),
            std::string::npos) << oneJson.out;

  // A 64-bit target reads no undecorated models section: a.txt's device is
  // then served by nothing on the disc.
  const std::string falseStartOnA = "false start (entry VendorInfo1, machine a.txt)";
  std::vector<std::string> onA = {root + "/disc", "--devices", root + "/pcs/a.txt"};
  EXPECT_EQ(RunCheck(onA).out.find(falseStartOnA), std::string::npos);
  onA.insert(onA.end(), {"--target", "NTamd64.10.0"});
  EXPECT_NE(RunCheck(onA).out.find(falseStartOnA), std::string::npos);
}

}  // namespace
}  // namespace pomvarin::check
