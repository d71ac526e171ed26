// Makes the benchmarks' inputs: a large driver tree, a Pomvarin.ini with
// many vendor entries, and a set of PCI devices as a fake sysfs folder (for
// the Linux program) or as a registry file (for Wine). Everything is drawn
// from a fixed seed, so every run of the benchmarks sees the same inputs.
//
//   bench_generate tree DIR [FILES FOLDERS]     a tree without any setup.exe
//   bench_generate sysfs DIR COUNT              device folders like the kernel's
//   bench_generate reg FILE COUNT               the same devices for "wine reg import"
//   bench_generate config FILE ENTRIES ROOT SPEC VENID
//       ENTRIES-1 entries whose VenID no generated device carries, then one
//       whose VenID is VENID; each with SetupFileRootDir ROOT and SPEC as
//       both setup commands.
//   bench_generate last-vendor                  the VenID of the device that
//                                               every listing gives last
//   bench_generate first-vendor                 the VenID of device 0

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_generate: %s: %s\n", what.c_str(),
               errno ? std::strerror(errno) : "failed");
  std::exit(1);
}

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail(path);
}

void WriteFile(const std::string& path, const std::string& contents) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Fail(path);
  if (write(fd, contents.data(), contents.size()) !=
      static_cast<ssize_t>(contents.size()))
    Fail(path);
  close(fd);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Format(const char* format, unsigned a, unsigned b = 0,
                   unsigned c = 0, unsigned d = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

// ---- The driver tree -------------------------------------------------------

// Folder names by how deep they sit: vendors, then device kinds, then
// systems and architectures, then whatever an installer unpacks.
const std::vector<std::vector<std::string>> kFolderNames = {
    {"Audio", "Chipset", "LAN", "WLAN", "Bluetooth", "Graphics", "Storage",
     "USB3", "CardReader", "Touchpad", "Camera", "Modem", "Hotkeys",
     "Management", "Thunderbolt", "Serial IO", "Sensor Hub", "Utilities"},
    {"Vendor", "Realtek", "Atheros", "Marvell", "Broadcom", "Ralink",
     "Conexant", "IDT", "JMicron", "ASMedia", "Synaptics", "Elan", "ALPS",
     "Ricoh", "O2Micro", "VIA", "SiS", "Genesys", "Fresco", "Etron"},
    {"Win7", "Win8", "Win8.1", "Win10", "Win11", "WinXP", "Vista", "Common",
     "Setup", "Drivers", "Driver", "Install", "Redist", "Packages"},
    {"x86", "x64", "amd64", "i386", "ia64", "arm64", "32bit", "64bit"},
    {"Data", "Bin", "Lang", "Res", "Images", "Help", "Docs", "Support",
     "Tools", "Program Files", "System32", "DriverStore", "Microsoft.VC90",
     "vcredist", "DotNet", "Manifest", "Config", "Plugins", "Skins"},
    {"en-US", "de-DE", "fr-FR", "ja-JP", "zh-CN", "zh-TW", "ko-KR", "es-ES",
     "it-IT", "pt-BR", "ru-RU", "pl-PL", "nl-NL", "sv-SE", "cs-CZ", "tr-TR"},
};

const std::vector<std::string> kFileStems = {
    "net", "rt", "ath", "bcm", "hda", "snd", "usb", "xhci", "iaStor", "nvlddm",
    "atikmd", "ig", "e1", "rtwlane", "netwtw", "btfilter", "ibtusb", "SynTP",
    "ETD", "RtsPer", "jmcr", "asmthub3", "mei", "HECI", "iaLPSS", "Setup",
    "ISSetup", "data", "layout", "readme", "license", "Release Notes", "0x0409",
    "0x0407", "uninst", "instmsi", "DIFxAPI", "msvcr", "msvcp", "mfc",
    "WdfCoInstaller", "dpinst", "devcon", "RtkNGUI", "RAVCpl", "AERTSrv",
    "Installer", "Update", "Config", "lang", "help", "logo", "icon", "banner"};

const std::vector<std::string> kFileExtensions = {
    "sys", "inf", "cat", "dll", "exe", "cab", "ini", "msi", "txt", "rtf",
    "ico", "bmp", "png", "xml", "dat", "bin", "hdr", "isn", "iss", "chm",
    "pdf", "mui", "tlb", "ocx", "htm", "js", "cfg", "pnf", "man"};

// The file the benchmarks search for: no name in the tree equals it, in any
// case, so the whole tree is walked.
const char kAbsentName[] = "setup.exe";

// How the folders spread over the levels below the tree's root, as shares.
// Eight levels keep the longest path well within the Windows limit of 259
// characters for a root of up to 60.
const std::vector<unsigned> kFoldersPerLevel = {18,   150,  800, 2000,
                                                3000, 2500, 1200, 332};

struct Folder {
  std::string path;
  unsigned depth;
  std::set<std::string> names;  // lower case, for unique names per folder
};

// name, or name with a number added, so that it is new in folder.
std::string UniqueName(Folder& folder, const std::string& name) {
  std::string candidate = name;
  for (unsigned n = 2; !folder.names.insert(LowerAscii(candidate)).second; ++n) {
    const std::size_t dot = name.rfind('.');
    candidate = dot == std::string::npos || dot == 0
                    ? name + std::to_string(n)
                    : name.substr(0, dot) + std::to_string(n) + name.substr(dot);
  }
  return candidate;
}

void MakeTree(const std::string& root, unsigned fileCount,
              unsigned folderCount) {
  std::mt19937 random(20261209);
  auto pick = [&random](std::size_t size) {
    return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
  };
  MakeFolder(root);
  std::vector<Folder> folders;
  folders.push_back({root, 0, {}});
  // Folders level by level, each under a random folder of the level above:
  // a few vendors, many system and architecture folders, fewer below them,
  // like unpacked driver bundles.
  std::vector<std::size_t> above = {0};
  unsigned weightSum = 0;
  for (unsigned weight : kFoldersPerLevel) weightSum += weight;
  for (unsigned level = 1; level <= kFoldersPerLevel.size(); ++level) {
    unsigned count = static_cast<unsigned>(
        std::uint64_t{folderCount - 1} * kFoldersPerLevel[level - 1] / weightSum);
    if (level == kFoldersPerLevel.size()) count = folderCount - folders.size();
    std::vector<std::size_t> here;
    const auto& pool = kFolderNames[(level - 1) % kFolderNames.size()];
    for (unsigned i = 0; i < count; ++i) {
      const std::size_t parentIndex = above[pick(above.size())];
      std::string name = pool[pick(pool.size())];
      if (pick(4) == 0) name += Format(" %u.%u", 1 + pick(12), pick(100));
      name = UniqueName(folders[parentIndex], name);
      const std::string path = folders[parentIndex].path + "/" + name;
      MakeFolder(path);
      folders.push_back({path, level, {}});
      here.push_back(folders.size() - 1);
    }
    above = here;
  }
  for (unsigned i = 0; i < fileCount; ++i) {
    Folder& folder = folders[pick(folders.size())];
    std::string stem = kFileStems[pick(kFileStems.size())];
    if (pick(3) == 0) stem += std::to_string(pick(100));
    std::string name =
        UniqueName(folder, stem + "." + kFileExtensions[pick(kFileExtensions.size())]);
    if (LowerAscii(name) == kAbsentName) name = UniqueName(folder, "setup1.exe");
    WriteFile(folder.path + "/" + name, "");
  }
  unsigned deepest = 0;
  for (const Folder& folder : folders)
    if (folder.depth > deepest) deepest = folder.depth;
  std::printf("%s: %u files in %zu folders, %u levels deep, no %s\n",
              root.c_str(), fileCount, folders.size(), deepest, kAbsentName);
}

// ---- Devices ---------------------------------------------------------------

struct Device {
  std::string slot;  // the kernel's name of the device's folder
  unsigned vendor, device, subsystemVendor, subsystemDevice, revision,
      classCode;
};

const unsigned kVendors[] = {0x8086, 0x10EC, 0x10DE, 0x1002, 0x14E4, 0x168C,
                             0x1B21, 0x1022, 0x15AD, 0x1AF4, 0x1106, 0x1912,
                             0x8087, 0x1217, 0x1969, 0x11AB};
const unsigned kClasses[] = {0x060000, 0x060100, 0x060400, 0x030000, 0x040300,
                             0x020000, 0x028000, 0x0c0330, 0x0c0320, 0x010601,
                             0x010802, 0x0c0500, 0x088000, 0x078000};
// The vendor of the device that every listing gives last: its slot sorts
// last in sysfs, its key last in the registry. No other device has it.
constexpr unsigned kLastVendor = 0xFFF0;
// VenIDs that no generated device carries start with this.
constexpr unsigned kAbsentVendorBase = 0xF000;

std::vector<Device> MakeDevices(unsigned count) {
  std::mt19937 random(8086);
  auto pick = [&random](unsigned limit) {
    return std::uniform_int_distribution<unsigned>(0, limit - 1)(random);
  };
  std::vector<Device> devices;
  for (unsigned i = 0; i + 1 < count; ++i) {
    Device d;
    d.slot = Format("0000:%02x:%02x.%x", i / 64, (i / 2) % 32, i % 2);
    d.vendor = kVendors[i < 16 ? i : pick(16)];
    d.device = pick(0x10000);
    d.subsystemVendor = pick(2) ? d.vendor : kVendors[pick(16)];
    d.subsystemDevice = pick(0x10000);
    d.revision = pick(0x20);
    d.classCode = kClasses[pick(sizeof kClasses / sizeof kClasses[0])];
    devices.push_back(d);
  }
  if (count > 0)
    devices.push_back({"0000:ff:1f.7", kLastVendor, 0x0001, kLastVendor, 0x0001,
                       0x01, 0x088000});
  return devices;
}

std::string FirstHardwareId(const Device& d) {
  char id[80];
  std::snprintf(id, sizeof id, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X",
                d.vendor, d.device, d.subsystemDevice, d.subsystemVendor,
                d.revision);
  return id;
}

std::vector<std::string> HardwareIds(const Device& d) {
  const std::string first = FirstHardwareId(d);
  const std::string venDev = first.substr(0, first.find("&SUBSYS_"));
  return {first, first.substr(0, first.find("&REV_")),
          venDev + Format("&CC_%06X", d.classCode),
          venDev + Format("&CC_%04X", d.classCode >> 8)};
}

void MakeSysfs(const std::string& root, unsigned count) {
  MakeFolder(root);
  for (const Device& d : MakeDevices(count)) {
    const std::string folder = root + "/" + d.slot;
    MakeFolder(folder);
    WriteFile(folder + "/vendor", Format("0x%04x\n", d.vendor));
    WriteFile(folder + "/device", Format("0x%04x\n", d.device));
    WriteFile(folder + "/subsystem_vendor", Format("0x%04x\n", d.subsystemVendor));
    WriteFile(folder + "/subsystem_device", Format("0x%04x\n", d.subsystemDevice));
    WriteFile(folder + "/revision", Format("0x%02x\n", d.revision));
    WriteFile(folder + "/class", Format("0x%06x\n", d.classCode));
    // As the kernel writes it for a device without a driver.
    char uevent[256];
    std::snprintf(uevent, sizeof uevent,
                  "PCI_CLASS=%04X\nPCI_ID=%04X:%04X\nPCI_SUBSYS_ID=%04X:%04X\n"
                  "PCI_SLOT_NAME=%s\nMODALIAS=pci:v%08Xd%08Xsv%08Xsd%08X"
                  "bc%02Xsc%02Xi%02X\n",
                  d.classCode, d.vendor, d.device, d.subsystemVendor,
                  d.subsystemDevice, d.slot.c_str(), d.vendor, d.device,
                  d.subsystemVendor, d.subsystemDevice, d.classCode >> 16,
                  (d.classCode >> 8) & 0xFF, d.classCode & 0xFF);
    WriteFile(folder + "/uevent", uevent);
  }
}

// A REGEDIT4 file: one key per device under Enum\PCI, as SetupAPI lists
// them, with a class and the hardware IDs as a REG_MULTI_SZ.
void MakeRegistryFile(const std::string& path, unsigned count) {
  std::string text = "REGEDIT4\r\n";
  for (const Device& d : MakeDevices(count)) {
    const std::vector<std::string> ids = HardwareIds(d);
    // The instance is named after the slot, so that a device keeps its key
    // in every device set it belongs to.
    std::string instance = "3&2411e6fe&0&";
    for (char c : d.slot)
      if (c != ':' && c != '.') instance += c;
    text += "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI\\" +
            ids[0].substr(4) + "\\" + instance + "]\r\n";
    text += "\"ClassGUID\"=\"{4d36e97d-e325-11ce-bfc1-08002be10318}\"\r\n";
    std::string bytes;
    for (const std::string& id : ids) {
      for (char c : id) bytes += Format("%02x,", static_cast<unsigned char>(c));
      bytes += "00,";
    }
    bytes += "00";
    text += "\"HardwareID\"=hex(7):" + bytes + "\r\n";
  }
  WriteFile(path, text);
}

// ---- Pomvarin.ini ----------------------------------------------------------

void MakeConfig(const std::string& path, unsigned entries,
                const std::string& root, const std::string& spec,
                const std::string& venId) {
  std::string text = "[PomvarinInfo]\r\n" + Format("VendorCount=%u\r\n", entries);
  for (unsigned n = 1; n <= entries; ++n) {
    const std::string id =
        n == entries ? venId : Format("VEN_%04X", kAbsentVendorBase + n);
    text += Format("\r\n[VendorInfo%u]\r\n", n);
    text += Format("VenName=Vendor %u\r\n", n);
    text += "VenID=" + id + "\r\n";
    text += "SetupFileRootDir=" + root + "\r\n";
    text += "SetupFileName=" + spec + "\r\n";
    text += "SilentInstall=" + spec + " /s\r\n";
  }
  WriteFile(path, text);
}

unsigned Number(const char* text) {
  char* end;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || value == 0 || value > 10000000) {
    errno = 0;
    Fail(std::string("not a count: ") + text);
  }
  return static_cast<unsigned>(value);
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench_generate tree DIR [FILES FOLDERS]\n"
               "       bench_generate sysfs DIR COUNT\n"
               "       bench_generate reg FILE COUNT\n"
               "       bench_generate config FILE ENTRIES ROOT SPEC VENID\n"
               "       bench_generate first-vendor | last-vendor\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "tree" && (argc == 3 || argc == 5)) {
    MakeTree(argv[2], argc == 5 ? Number(argv[3]) : 100000,
             argc == 5 ? Number(argv[4]) : 10000);
  } else if (command == "sysfs" && argc == 4) {
    MakeSysfs(argv[2], Number(argv[3]));
  } else if (command == "reg" && argc == 4) {
    MakeRegistryFile(argv[2], Number(argv[3]));
  } else if (command == "config" && argc == 7) {
    MakeConfig(argv[2], Number(argv[3]), argv[4], argv[5], argv[6]);
  } else if (command == "first-vendor" && argc == 2) {
    std::printf("VEN_%04X\n", MakeDevices(2)[0].vendor);
  } else if (command == "last-vendor" && argc == 2) {
    std::printf("VEN_%04X\n", kLastVendor);
  } else {
    return Usage();
  }
  return 0;
}
