// The Windows platform layer against the real parts: the profile reader,
// folders and files, SetupAPI with devices put into the registry, and the
// shell. Run under Wine.
#include "platform/platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/profile_cases.h"

namespace pomvarin::platform {
namespace {

// A fresh folder below the temp folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "pomvarin-test-" +
            std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }

  const std::string& path() const { return path_; }

  void WriteFile(const std::string& name, const std::string& content) const {
    HANDLE file = CreateFileA((path_ + "\\" + name).c_str(), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()),
                &written, nullptr);
    CloseHandle(file);
  }

  void MakeFolder(const std::string& name) const {
    CreateDirectoryA((path_ + "\\" + name).c_str(), nullptr);
  }

 private:
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE listing = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (listing != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          DeleteFileA(path.c_str());
      } while (FindNextFileA(listing, &data));
      FindClose(listing);
    }
    RemoveDirectoryA(folder.c_str());
  }

  static int counter_;
  std::string path_;
};

int TempFolder::counter_ = 0;

TEST(Win32ProfileTest, ThePlatformReaderFollowsTheSharedRules) {
  TempFolder folder;
  for (const tests::ProfileCase& c : tests::ProfileCases()) {
    folder.WriteFile("Pomvarin.ini", c.file);
    Text value;
    ReadProfileString(c.section, c.key, c.fallback, value,
                      (folder.path() + "\\Pomvarin.ini").c_str());
    EXPECT_EQ(std::string(value), c.expected) << c.name;
  }
  Text value;
  ReadProfileString("A", "Key", "Unknow", value,
                    (folder.path() + "\\Missing.ini").c_str());
  EXPECT_STREQ(value, "Unknow");
}

std::vector<DirectoryEntry> ListAll(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  DirectoryEntry entry;
  Listing listing = OpenListing((folder + "\\*").c_str(), &entry);
  if (!listing) return entries;
  do {
    entries.push_back(entry);
  } while (NextEntry(listing, &entry));
  CloseListing(listing);
  return entries;
}

TEST(Win32ListingTest, DeliversEveryEntryWithItsAttributes) {
  TempFolder folder;
  folder.WriteFile("Setup.EXE", "x");
  folder.MakeFolder("Drivers");
  folder.WriteFile(".hidden", "x");
  std::vector<DirectoryEntry> entries = ListAll(folder.path());
  ASSERT_EQ(entries.size(), 5u);
  for (const DirectoryEntry& entry : entries) {
    std::string name = entry.name;
    bool directory = (entry.attributes & kAttributeDirectory) != 0;
    bool hidden = (entry.attributes & kAttributeHidden) != 0;
    if (name == "Drivers" || name == "." || name == "..") {
      EXPECT_TRUE(directory) << name;
    } else if (name == ".hidden") {
      EXPECT_TRUE(hidden && !directory) << name;
    } else {
      EXPECT_EQ(name, "Setup.EXE");  // the case on disk
      EXPECT_FALSE(directory || hidden);
    }
  }
  EXPECT_EQ(OpenListing((folder.path() + "\\Setup.EXE\\*").c_str(),
                        &entries[0]),
            nullptr);
  EXPECT_EQ(OpenListing((folder.path() + "\\Missing\\*").c_str(), &entries[0]),
            nullptr);
}

TEST(Win32IdentityTest, TellsFoldersApartWhateverPathLeadsThere) {
  TempFolder folder;
  folder.MakeFolder("a");
  folder.MakeFolder("b");
  FolderIdentity a, aAgain, b;
  ASSERT_TRUE(ReadFolderIdentity((folder.path() + "\\a").c_str(), &a));
  ASSERT_TRUE(
      ReadFolderIdentity((folder.path() + "\\b\\..\\A\\.").c_str(), &aAgain));
  ASSERT_TRUE(ReadFolderIdentity((folder.path() + "\\b").c_str(), &b));
  EXPECT_TRUE(a.volume == aAgain.volume && a.file == aAgain.file);
  EXPECT_FALSE(a.volume == b.volume && a.file == b.file);
  EXPECT_FALSE(ReadFolderIdentity((folder.path() + "\\c").c_str(), &b));
}

// A PCI device put into the registry, where SetupAPI lists it, and taken out
// again.
class RegistryDevice {
 public:
  RegistryDevice(const std::string& deviceId, const std::string& hardwareIds)
      : key_("System\\CurrentControlSet\\Enum\\PCI\\" + deviceId) {
    HKEY instance;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key_ + "\\0").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &instance,
                              nullptr),
              ERROR_SUCCESS);
    const char classGuid[] = "{4d36e972-e325-11ce-bfc1-08002be10318}";
    RegSetValueExA(instance, "ClassGUID", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(classGuid), sizeof classGuid);
    if (!hardwareIds.empty()) {
      RegSetValueExA(instance, "HardwareID", 0, REG_MULTI_SZ,
                     reinterpret_cast<const BYTE*>(hardwareIds.data()),
                     static_cast<DWORD>(hardwareIds.size()));
    }
    RegCloseKey(instance);
  }
  ~RegistryDevice() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (key_ + "\\0").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
  }

 private:
  std::string key_;
};

// The first hardware ID of every listed device, read through the size
// protocol; "(unreadable)" where the property cannot be read.
std::vector<std::string> FirstHardwareIds() {
  std::vector<std::string> ids;
  DeviceList list = OpenDeviceList(nullptr, "PCI");
  EXPECT_NE(list, nullptr);
  if (!list) return ids;
  DeviceRecord device;
  for (std::uint32_t index = 0; EnumerateDevice(list, index, &device);
       ++index) {
    std::uint32_t required = 0;
    PropertyRead read = ReadDeviceProperty(list, device, kPropertyHardwareId,
                                           nullptr, 0, &required);
    if (read != PropertyRead::kBufferTooSmall) {
      EXPECT_EQ(read, PropertyRead::kFailed);
      ids.push_back("(unreadable)");
      continue;
    }
    std::vector<unsigned char> buffer(required);
    std::uint32_t again = 0;
    EXPECT_EQ(ReadDeviceProperty(list, device, kPropertyHardwareId,
                                 buffer.data(), required, &again),
              PropertyRead::kDone);
    EXPECT_EQ(again, required);
    ids.push_back(reinterpret_cast<const char*>(buffer.data()));
  }
  CloseDeviceList(list);
  return ids;
}

bool Contains(const std::vector<std::string>& ids, const std::string& id) {
  for (const std::string& each : ids)
    if (each == id) return true;
  return false;
}

TEST(Win32DevicesTest, ListsRegistryDevicesAndReadsTheirHardwareIds) {
  const std::string first = "PCI\\VEN_ABCD&DEV_0001&SUBSYS_00011234&REV_01";
  std::string ids = first + '\0' + "PCI\\VEN_ABCD&DEV_0001" + '\0' + '\0';
  std::vector<std::string> before = FirstHardwareIds();
  {
    RegistryDevice device("VEN_ABCD&DEV_0001&SUBSYS_00011234&REV_01", ids);
    RegistryDevice bare("VEN_ABCD&DEV_0002&SUBSYS_00000000&REV_00", "");
    std::vector<std::string> during = FirstHardwareIds();
    EXPECT_TRUE(Contains(during, first));
    EXPECT_TRUE(Contains(during, "(unreadable)"));
    EXPECT_EQ(during.size(), before.size() + 2);
  }
  EXPECT_EQ(FirstHardwareIds(), before);
}

TEST(Win32DevicesTest, AnUnknownEnumeratorGivesAnEmptyListOrNone) {
  DeviceList list = OpenDeviceList(nullptr, "NOSUCHBUS");
  if (list) {
    DeviceRecord device;
    EXPECT_FALSE(EnumerateDevice(list, 0, &device));
    CloseDeviceList(list);
  }
}

TEST(Win32StartTest, StartsTheFileWithItsParametersWithoutWaiting) {
  TempFolder folder;
  const std::string done = folder.path() + "\\done.txt";
  // The script waits for a file that only the test makes, so a start that
  // waited for it would never return.
  folder.WriteFile("probe.bat",
                   "@echo off\r\n"
                   "echo [%*]> \"" + folder.path() + "\\started.txt\"\r\n"
                   ":wait\r\n"
                   "if not exist \"" + done + "\" goto wait\r\n");
  StartProgram((folder.path() + "\\probe.bat").c_str(), " one \"two three\"",
               ShowCommand::kHide);
  folder.WriteFile("done.txt", "");
  std::string started;
  for (int attempt = 0; attempt < 400 && started.empty(); ++attempt) {
    Sleep(25);
    HANDLE file = CreateFileA((folder.path() + "\\started.txt").c_str(),
                              GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char text[256] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    if (std::strchr(text, '\n')) started = text;
  }
  EXPECT_EQ(started.substr(0, started.find_first_of("\r\n")),
            "[one \"two three\"]");
}

}  // namespace
}  // namespace pomvarin::platform
