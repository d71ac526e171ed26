// --init on real temp discs: the sections and comments for each layout.
#include "check/init/disc_ini.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "check/report/outcome.h"
#include "tests/setup_fixtures.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::FixtureOfKind;
using test::TempDisc;

// A package serving the IDs, by a maker of that name.
std::string Inf(const std::string& maker, const std::vector<std::string>& ids) {
  std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                     "[Manufacturer]\r\n%Maker% = Models, NTamd64\r\n"
                     "[Models.NTamd64]\r\n";
  for (const std::string& id : ids) text += "dev = install, " + id + "\r\n";
  return text + "[Strings]\r\nMaker = \"" + maker + "\"\r\n";
}

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string(1, c) + '\0';
  return bytes;
}

struct Entry {
  std::string venName, venId, rootDir, setupFileName, silentInstall;
};

// The written file's VendorInfo sections in order, and its comments.
std::vector<Entry> Entries(const std::string& text,
                           std::vector<std::string>* comments) {
  std::vector<Entry> entries;
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line, count;
  auto end = [&] {
    if (values.empty()) return;
    entries.push_back(Entry{values["VenName"], values["VenID"],
                            values["SetupFileRootDir"], values["SetupFileName"],
                            values["SilentInstall"]});
    values.clear();
  };
  while (std::getline(lines, line)) {
    EXPECT_TRUE(!line.empty() && line.back() == '\r') << "not CR LF: " << line;
    line.pop_back();
    if (line.rfind("; ", 0) == 0) comments->push_back(line.substr(2));
    if (line.rfind("[VendorInfo", 0) == 0) end();
    const std::size_t equals = line.find('=');
    if (line.rfind("VendorCount=", 0) == 0) count = line.substr(12);
    else if (equals != std::string::npos && line[0] != ';')
      values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  end();
  EXPECT_EQ(count, std::to_string(entries.size()));
  return entries;
}

bool Mentions(const std::vector<std::string>& comments, const std::string& text) {
  for (const std::string& comment : comments)
    if (comment.find(text) != std::string::npos) return true;
  return false;
}

TEST(DiscIniTest, WritesAnEntryForEachVendorFolder) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;
    std::vector<Entry> entries;
    std::vector<std::string> commented;  // texts the comments must hold
  } cases[] = {
      {"vendors in their folders, switches from each setup's kind, the "
       "narrowest VenID, a UTF-16 package",
       {{"Drivers/Net/setup.exe", FixtureOfKind("nsis")},
        {"Drivers/Net/net.inf", Inf("Realto", {"PCI\\VEN_10EC&DEV_8168", "PCI\\VEN_10EC&DEV_8136"})},
        {"Drivers/Video/Win10/x64/vid.inf",
         Utf16Le(Inf("Graphon", {"PCI\\VEN_1002&DEV_6810&SUBSYS_0B001002"}))},
        {"Drivers/Video/install.exe", FixtureOfKind("innoSetup")},
        {"Drivers/Audio/Audio.msi", FixtureOfKind("windowsInstaller")},
        {"Drivers/Audio/hda.inf", Inf("Tamsa", {"PCI\\VEN_1F3C&DEV_0005", "PCI\\VEN_1F3C&CC_0403"})},
        {"Drivers/Usb/setup.exe", FixtureOfKind("nsis")}},
       {{"Tamsa", "VEN_1F3C", "\\Drivers\\Audio", "Audio.msi", "Audio.msi /qn /norestart"},
        {"Realto", "VEN_10EC", "\\Drivers\\Net", "setup.exe", "setup.exe /S"},
        {"Graphon", "VEN_1002&DEV_6810&SUBSYS_0B001002", "\\Drivers\\Video", "install.exe",
         "install.exe /VERYSILENT /SUPPRESSMSGBOXES /NORESTART"}},
       {}},
      {"one vendor's setups for Windows 7 and 10: the newer is kept",
       {{"Lan/Win10/setup.exe", FixtureOfKind("nsis")},
        {"Lan/Win10/lan.inf", Inf("Velka", {"PCI\\VEN_1E2B&DEV_3001"})},
        {"Lan/Win7/setup.exe", FixtureOfKind("nsis")},
        {"Lan/Win7/lan.inf", Inf("Velka", {"PCI\\VEN_1E2B&DEV_3001"})}},
       {{"Velka", "VEN_1E2B&DEV_3001", "\\Lan\\Win10", "setup.exe", "setup.exe /S"}},
       {"Left out \\Lan\\Win7"}},
      {"a setup above its Windows versions' folders serves them all",
       {{"Lan/setup.exe", FixtureOfKind("burnBundle")},
        {"Lan/Win7/setup.exe", FixtureOfKind("nsis")},
        {"Lan/Win7/lan.inf", Inf("Velka", {"PCI\\VEN_1E2B&DEV_3001"})},
        {"Lan/Win10/lan.inf", Inf("Velka", {"PCI\\VEN_1E2B&DEV_3002"})}},
       {{"Velka", "VEN_1E2B", "\\Lan", "setup.exe", "setup.exe /quiet /norestart"}},
       {}},
      {"a chipset folder of two vendors: a section each, the same setup",
       {{"Chipset/setup.exe", FixtureOfKind("installShield")},
        {"Chipset/a.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0100", "PCI\\VEN_1D0A&DEV_0101"})},
        {"Chipset/b.inf", Inf("Velka", {"PCI\\VEN_1E2B&DEV_0001"})}},
       {{"Orrin", "VEN_1D0A", "\\Chipset", "setup.exe", "setup.exe /s /v\"/qn /norestart\""},
        {"Velka", "VEN_1E2B&DEV_0001", "\\Chipset", "setup.exe", "setup.exe /s /v\"/qn /norestart\""}},
       {"more than one vendor (VEN_1D0A, VEN_1E2B)", "InstallScript"}},
      {"a setup of unknown kind, one named with a blank, one serving no PCI device",
       {{"A/setup.exe", "MZ not much of a program"},
        {"A/a.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0100"})},
        {"B/Net Setup.exe", FixtureOfKind("nsis")},
        {"B/b.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0200"})},
        {"C/setup.exe", FixtureOfKind("nsis")},
        {"C/c.inf", Inf("Orrin", {"USB\\VID_1D0A&PID_0001"})}},
       {{"Orrin", "VEN_1D0A&DEV_0100", "\\A", "setup.exe", "setup.exe"}},
       {"fill in SilentInstall's switches: setup.exe is a program of unknown kind",
        "Left out \\B: the setup's name holds a blank",
        "Left out \\C: its .inf files list no PCI device"}},
      {"a vendor's VenID that another folder's device holds too",
       {{"Chipset/setup.exe", FixtureOfKind("nsis")},
        {"Chipset/a.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0100", "PCI\\VEN_1D0A&DEV_0101"})},
        {"Lan/setup.exe", FixtureOfKind("nsis")},
        {"Lan/b.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0200"})}},
       {{"Orrin", "VEN_1D0A", "\\Chipset", "setup.exe", "setup.exe /S"},
        {"Orrin", "VEN_1D0A&DEV_0200", "\\Lan", "setup.exe", "setup.exe /S"}},
       {"VEN_1D0A also occurs in PCI\\VEN_1D0A&DEV_0200, which \\Lan serves"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDisc disc;
    for (const auto& [path, bytes] : c.files) disc.Write(path, bytes);
    const WrittenIni ini = WriteDiscIni();
    std::vector<std::string> comments;
    const std::vector<Entry> entries = Entries(ini.text, &comments);
    ASSERT_EQ(entries.size(), c.entries.size()) << ini.text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].venName, c.entries[i].venName);
      EXPECT_EQ(entries[i].venId, c.entries[i].venId);
      EXPECT_EQ(entries[i].rootDir, c.entries[i].rootDir);
      EXPECT_EQ(entries[i].setupFileName, c.entries[i].setupFileName);
      EXPECT_EQ(entries[i].silentInstall, c.entries[i].silentInstall);
    }
    for (const std::string& text : c.commented)
      EXPECT_TRUE(Mentions(comments, text)) << text << " in\n" << ini.text;
    // Three header lines; anything else is for the author to read.
    EXPECT_EQ(ini.status, comments.size() > 3 ? kWarnings : kNothingWrong);
  }
}

TEST(DiscIniTest, WritesNothingWithoutAVendorFolder) {
  TempDisc disc;
  disc.Write("Drivers/a.inf", Inf("Orrin", {"PCI\\VEN_1D0A&DEV_0100"}));
  disc.Write("Tools/setup.exe", FixtureOfKind("nsis"));
  const WrittenIni ini = WriteDiscIni();
  EXPECT_EQ(ini.status, kCannotCheck);
  EXPECT_EQ(ini.text, "");
  EXPECT_NE(ini.error.find("no folder below"), std::string::npos) << ini.error;
}

}  // namespace
}  // namespace pomvarin::check
