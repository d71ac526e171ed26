#include "platform/posix/pci_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/pci_number_text.h"
#include "platform/posix/posix_common.h"
#include "tests/posix_temp_files.h"

namespace pomvarin::platform::posix {
namespace {

using test_support::MakeFolder;
using test_support::ReadFileText;
using test_support::TempFolder;
using test_support::WriteFile;

struct NumberCase {
  const char* text;
  std::uint32_t limit;
  bool parsed;
  std::uint32_t value;
};

void PrintTo(const NumberCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(c.text)) << " up to " << c.limit;
}

class DeviceNumberParse : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DeviceNumberParse, AcceptsOnlyTheKernelsForm) {
  const NumberCase& c = GetParam();
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(ParseDeviceNumber(c.text, std::strlen(c.text), c.limit, &value),
            c.parsed);
  if (c.parsed) {
    EXPECT_EQ(value, c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, DeviceNumberParse,
    ::testing::Values(NumberCase{"0x8086\n", 0xFFFF, true, 0x8086},
                      // Past 32 bits: must not wrap around to a small value.
                      NumberCase{"0x100000000\n", 0xFFFFFFFF, false, 0},
                      NumberCase{"0xFFFFFFFF\n", 0xFFFFFFFF, true, 0xFFFFFFFF},
                      NumberCase{"0x8086", 0xFFFF, true, 0x8086},
                      NumberCase{"0xABcd\n", 0xFFFF, true, 0xABCD},
                      NumberCase{"0xffff\n", 0xFFFF, true, 0xFFFF},
                      NumberCase{"0x0000000001\n", 0xFF, true, 1},
                      NumberCase{"0x0\n", 0xFF, true, 0},
                      NumberCase{"0xffffff\n", 0xFFFFFF, true, 0xFFFFFF},
                      NumberCase{"0x10000\n", 0xFFFF, false, 0},
                      NumberCase{"0x100\n", 0xFF, false, 0},
                      NumberCase{"0x1000000\n", 0xFFFFFF, false, 0},
                      NumberCase{"0xfffffffffffffffff\n", 0xFFFFFF, false, 0},
                      NumberCase{"0x\n", 0xFFFF, false, 0},
                      NumberCase{"", 0xFFFF, false, 0},
                      NumberCase{"\n", 0xFFFF, false, 0},
                      NumberCase{"8086\n", 0xFFFF, false, 0},
                      NumberCase{"0X8086\n", 0xFFFF, false, 0},
                      NumberCase{" 0x8086\n", 0xFFFF, false, 0},
                      NumberCase{"0x8086 \n", 0xFFFF, false, 0},
                      NumberCase{"0x80 86\n", 0xFFFF, false, 0},
                      NumberCase{"0x8086\n\n", 0xFFFF, false, 0},
                      NumberCase{"0x-1\n", 0xFFFF, false, 0},
                      NumberCase{"0x1g\n", 0xFFFF, false, 0},
                      NumberCase{"garbage\n", 0xFFFF, false, 0}));

struct EventCase {
  const char* name;
  const char* text;
  bool parsed;
  PciNumbers numbers;  // the revision is not the file's and stays as set
};

void PrintTo(const EventCase& c, std::ostream* out) { *out << c.name; }

class DeviceEventParse : public ::testing::TestWithParam<EventCase> {};

TEST_P(DeviceEventParse, ReadsTheThreeKeysOrNothing) {
  const EventCase& c = GetParam();
  PciNumbers numbers{1, 2, 3, 4, 0x5A, 6};
  EXPECT_EQ(ParseDeviceEvent(c.text, std::strlen(c.text), &numbers), c.parsed);
  const PciNumbers& want = c.parsed ? c.numbers : PciNumbers{1, 2, 3, 4, 0, 6};
  EXPECT_EQ(numbers.vendor, want.vendor);
  EXPECT_EQ(numbers.device, want.device);
  EXPECT_EQ(numbers.subsystemVendor, want.subsystemVendor);
  EXPECT_EQ(numbers.subsystemDevice, want.subsystemDevice);
  EXPECT_EQ(numbers.revision, 0x5A);
  EXPECT_EQ(numbers.classCode, want.classCode);
}

constexpr PciNumbers kEventNumbers{0x8086, 0x0D57, 0x1AF4, 0x1100, 0, 0x60000};

INSTANTIATE_TEST_SUITE_P(
    Events, DeviceEventParse,
    ::testing::Values(
        EventCase{"Kernel",
                  "PCI_CLASS=60000\nPCI_ID=8086:0D57\nPCI_SUBSYS_ID=1AF4:1100\n"
                  "PCI_SLOT_NAME=0000:00:00.0\nMODALIAS=pci:v00008086\n",
                  true, kEventNumbers},
        EventCase{"DriverLinesFirstAndNoFinalNewline",
                  "DRIVER=e1000e\nPCI_CLASS=060000\nPCI_ID=8086:0d57\n"
                  "PCI_SUBSYS_ID=1af4:1100",
                  true, kEventNumbers},
        EventCase{"FirstLineOfAKeyCounts",
                  "PCI_ID=8086:0D57\nPCI_SUBSYS_ID=1AF4:1100\n"
                  "PCI_CLASS=60000\nPCI_ID=10EC:8139\n",
                  true, kEventNumbers},
        EventCase{"KeyOnlyAtALineStart",
                  "X_PCI_ID=8086:0D57\nPCI_CLASS=60000\nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"MissingSubsystem", "PCI_CLASS=60000\nPCI_ID=8086:0D57\n",
                  false, {}},
        EventCase{"ClassPast24Bits",
                  "PCI_CLASS=1000000\nPCI_ID=8086:0D57\nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"VendorPast16Bits",
                  "PCI_CLASS=60000\nPCI_ID=18086:0D57\nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"NoColon",
                  "PCI_CLASS=60000\nPCI_ID=80860D57\nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"HalfAPair",
                  "PCI_CLASS=60000\nPCI_ID=8086:\nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"BlankInAValue",
                  "PCI_CLASS=60000\nPCI_ID=8086:0D57 \nPCI_SUBSYS_ID=1AF4:1100\n",
                  false, {}},
        EventCase{"Empty", "", false, {}}),
    [](const ::testing::TestParamInfo<EventCase>& info) {
      return std::string(info.param.name);
    });

// The IDs as one byte string, terminators included.
std::string IdList(const std::vector<std::string>& ids) {
  std::string list;
  for (const std::string& id : ids) list += id + '\0';
  return list + '\0';
}

// One device folder's files, as the kernel lays them out.
struct DeviceFiles {
  std::string vendor = "0x1af4\n";
  std::string device = "0x1045\n";
  std::string subsystemVendor = "0x1af4\n";
  std::string subsystemDevice = "0x1100\n";
  const char* revision = "0x01\n";  // nullptr: no file
  std::string classCode = "0x020000\n";
  const char* missing = nullptr;    // a file not to write
  std::string config;               // empty: no file
  std::string uevent;               // empty: no file
};

class PciTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    devices_ = folder_.Join("devices");
    ASSERT_TRUE(MakeFolder(devices_));
  }

  void AddDevice(const std::string& name, const DeviceFiles& files) {
    const std::string device = devices_ + "/" + name;
    ASSERT_TRUE(MakeFolder(device));
    const std::pair<const char*, std::string> numberFiles[] = {
        {"vendor", files.vendor},
        {"device", files.device},
        {"subsystem_vendor", files.subsystemVendor},
        {"subsystem_device", files.subsystemDevice},
        {"revision", files.revision ? files.revision : ""},
        {"class", files.classCode},
    };
    for (const auto& file : numberFiles) {
      const bool skip =
          (files.missing && std::strcmp(files.missing, file.first) == 0) ||
          (!files.revision && std::strcmp(file.first, "revision") == 0);
      if (!skip) {
        ASSERT_TRUE(WriteFile(device + "/" + file.first, file.second));
      }
    }
    if (!files.config.empty()) {
      ASSERT_TRUE(WriteFile(device + "/config", files.config));
    }
    if (!files.uevent.empty()) {
      ASSERT_TRUE(WriteFile(device + "/uevent", files.uevent));
    }
  }

  // Reads the hardware IDs of the only device by the size protocol.
  PropertyRead ReadOnlyDevice(std::string* ids) {
    DeviceList list = OpenPciDeviceList(devices_.c_str(), "PCI");
    EXPECT_NE(list, nullptr);
    if (!list) return PropertyRead::kFailed;
    ScopedDeviceList owner(list);
    DeviceRecord device;
    EXPECT_TRUE(EnumerateDevice(list, 0, &device));
    EXPECT_FALSE(EnumerateDevice(list, 1, &device));
    std::uint32_t required = 0;
    PropertyRead read = ReadDeviceProperty(list, device, kPropertyHardwareId,
                                           nullptr, 0, &required);
    if (read != PropertyRead::kBufferTooSmall) return read;
    std::vector<unsigned char> buffer(required);
    read = ReadDeviceProperty(list, device, kPropertyHardwareId, buffer.data(),
                              required, &required);
    EXPECT_EQ(required, buffer.size());
    ids->assign(buffer.begin(), buffer.end());
    return read;
  }

  TempFolder folder_;
  std::string devices_;
};

TEST_F(PciTree, GoodDeviceGivesItsIds) {
  AddDevice("0000:00:03.0", DeviceFiles{});
  std::string ids;
  ASSERT_EQ(ReadOnlyDevice(&ids), PropertyRead::kDone);
  EXPECT_EQ(ids, IdList({"PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4&REV_01",
                         "PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4",
                         "PCI\\VEN_1AF4&DEV_1045&CC_020000",
                         "PCI\\VEN_1AF4&DEV_1045&CC_0200"}));
}

TEST_F(PciTree, MissingRevisionReadFromConfigByte8) {
  DeviceFiles files;
  files.revision = nullptr;
  files.config = std::string(64, '\0');
  files.config[8] = '\x3c';
  AddDevice("0000:00:03.0", files);
  std::string ids;
  ASSERT_EQ(ReadOnlyDevice(&ids), PropertyRead::kDone);
  EXPECT_EQ(ids.substr(0, ids.find('\0')),
            "PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4&REV_3C");
}

struct UnreadableCase {
  const char* name;
  DeviceFiles files;
};

void PrintTo(const UnreadableCase& c, std::ostream* out) { *out << c.name; }

DeviceFiles With(void (*change)(DeviceFiles&)) {
  DeviceFiles files;
  change(files);
  return files;
}

struct EventTreeCase {
  const char* name;
  DeviceFiles files;
  const char* firstId;
};

void PrintTo(const EventTreeCase& c, std::ostream* out) { *out << c.name; }

class EventTree : public PciTree,
                  public ::testing::WithParamInterface<EventTreeCase> {};

// The kernel writes uevent and the number files from the same numbers; a
// tree where they differ shows which one was read.
TEST_P(EventTree, UeventFirstNumberFilesWhereItFallsShort) {
  AddDevice("0000:00:03.0", GetParam().files);
  std::string ids;
  ASSERT_EQ(ReadOnlyDevice(&ids), PropertyRead::kDone);
  EXPECT_EQ(ids.substr(0, ids.find('\0')), GetParam().firstId);
}

const char kOtherEvent[] =
    "DRIVER=virtio-pci\nPCI_CLASS=10000\nPCI_ID=8086:1234\n"
    "PCI_SUBSYS_ID=5678:9ABC\nPCI_SLOT_NAME=0000:00:03.0\n";

INSTANTIATE_TEST_SUITE_P(
    Devices, EventTree,
    ::testing::Values(
        EventTreeCase{"UeventWins",
                      With([](DeviceFiles& f) { f.uevent = kOtherEvent; }),
                      "PCI\\VEN_8086&DEV_1234&SUBSYS_9ABC5678&REV_01"},
        EventTreeCase{"UeventWithoutNumberFiles", With([](DeviceFiles& f) {
                        f.uevent = kOtherEvent;
                        f.missing = "vendor";
                      }),
                      "PCI\\VEN_8086&DEV_1234&SUBSYS_9ABC5678&REV_01"},
        EventTreeCase{"UeventAndConfigRevision", With([](DeviceFiles& f) {
                        f.uevent = kOtherEvent;
                        f.revision = nullptr;
                        f.config = std::string(64, '\x3c');
                      }),
                      "PCI\\VEN_8086&DEV_1234&SUBSYS_9ABC5678&REV_3C"},
        EventTreeCase{"UeventWithoutSubsystem", With([](DeviceFiles& f) {
                        f.uevent = "PCI_CLASS=10000\nPCI_ID=8086:1234\n";
                      }),
                      "PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4&REV_01"},
        EventTreeCase{"UeventLongerThanTheKernelWrites",
                      With([](DeviceFiles& f) {
                        f.uevent = std::string(kOtherEvent) +
                                   "DRIVER=" + std::string(1024, 'x') + "\n";
                      }),
                      "PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4&REV_01"}),
    [](const ::testing::TestParamInfo<EventTreeCase>& info) {
      return std::string(info.param.name);
    });

class UnreadableDevice
    : public PciTree,
      public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableDevice, HasNoReadableIds) {
  AddDevice("0000:00:03.0", GetParam().files);
  std::string ids;
  EXPECT_EQ(ReadOnlyDevice(&ids), PropertyRead::kFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, UnreadableDevice,
    ::testing::Values(
        UnreadableCase{"MissingVendor",
                       With([](DeviceFiles& f) { f.missing = "vendor"; })},
        UnreadableCase{"MissingDevice",
                       With([](DeviceFiles& f) { f.missing = "device"; })},
        UnreadableCase{"MissingSubsystemVendor", With([](DeviceFiles& f) {
                         f.missing = "subsystem_vendor";
                       })},
        UnreadableCase{"MissingSubsystemDevice", With([](DeviceFiles& f) {
                         f.missing = "subsystem_device";
                       })},
        UnreadableCase{"MissingClass",
                       With([](DeviceFiles& f) { f.missing = "class"; })},
        UnreadableCase{"MissingRevisionAndConfig",
                       With([](DeviceFiles& f) { f.revision = nullptr; })},
        UnreadableCase{"MissingRevisionShortConfig",
                       With([](DeviceFiles& f) {
                         f.revision = nullptr;
                         f.config = std::string(8, '\x01');
                       })},
        UnreadableCase{"GarbageVendor",
                       With([](DeviceFiles& f) { f.vendor = "intel\n"; })},
        UnreadableCase{"EmptyDevice",
                       With([](DeviceFiles& f) { f.device = ""; })},
        UnreadableCase{"GarbageRevisionIsNotReplacedByConfig",
                       With([](DeviceFiles& f) {
                         f.revision = "rev\n";
                         f.config = std::string(64, '\x01');
                       })},
        UnreadableCase{"VendorOutOfRange",
                       With([](DeviceFiles& f) { f.vendor = "0x10000\n"; })},
        UnreadableCase{"SubsystemOutOfRange", With([](DeviceFiles& f) {
                         f.subsystemDevice = "0x1ffff\n";
                       })},
        UnreadableCase{"RevisionOutOfRange",
                       With([](DeviceFiles& f) { f.revision = "0x100\n"; })},
        UnreadableCase{"ClassOutOfRange", With([](DeviceFiles& f) {
                         f.classCode = "0x1000000\n";
                       })},
        UnreadableCase{"OverlongFile", With([](DeviceFiles& f) {
                         f.vendor = "0x" + std::string(40, '0') + "1\n";
                       })}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(PciTree, BufferProtocolSizes) {
  AddDevice("0000:00:03.0", DeviceFiles{});
  DeviceList list = OpenPciDeviceList(devices_.c_str(), "PCI");
  ASSERT_NE(list, nullptr);
  ScopedDeviceList owner(list);
  DeviceRecord device;
  ASSERT_TRUE(EnumerateDevice(list, 0, &device));
  const std::uint32_t needed = 45 + 38 + 32 + 30 + 1;

  std::uint32_t required = 0;
  EXPECT_EQ(ReadDeviceProperty(list, device, kPropertyHardwareId, nullptr, 0,
                               &required),
            PropertyRead::kBufferTooSmall);
  EXPECT_EQ(required, needed);

  // One byte short: nothing written.
  std::vector<unsigned char> buffer(needed + 8, 0xAA);
  required = 0;
  EXPECT_EQ(ReadDeviceProperty(list, device, kPropertyHardwareId,
                               buffer.data(), needed - 1, &required),
            PropertyRead::kBufferTooSmall);
  EXPECT_EQ(required, needed);
  EXPECT_EQ(buffer, std::vector<unsigned char>(needed + 8, 0xAA));

  // Larger than needed: the list is copied, the rest left alone.
  required = 0;
  EXPECT_EQ(ReadDeviceProperty(list, device, kPropertyHardwareId,
                               buffer.data(), needed + 8, &required),
            PropertyRead::kDone);
  EXPECT_EQ(required, needed);
  EXPECT_EQ(buffer[needed - 2], 0);
  EXPECT_EQ(buffer[needed - 1], 0);
  EXPECT_EQ(buffer[needed], 0xAA);

  // No place for the size is asked for.
  EXPECT_EQ(ReadDeviceProperty(list, device, kPropertyHardwareId,
                               buffer.data(), needed, nullptr),
            PropertyRead::kDone);
}

// The size request reads the device's files; the request for the bytes
// that follows is answered with what it read, and a fresh list reads again.
TEST_F(PciTree, ADeviceIsReadOncePerListForBothRequests) {
  AddDevice("0000:00:03.0", DeviceFiles{});
  AddDevice("0000:00:04.0", DeviceFiles{});
  DeviceList list = OpenPciDeviceList(devices_.c_str(), "PCI");
  ASSERT_NE(list, nullptr);
  ScopedDeviceList owner(list);
  DeviceRecord first, second;
  ASSERT_TRUE(EnumerateDevice(list, 0, &first));
  ASSERT_TRUE(EnumerateDevice(list, 1, &second));
  auto firstId = [&](const DeviceRecord& device, std::uint32_t size) {
    std::vector<unsigned char> buffer(size, 0);
    std::uint32_t required = 0;
    const PropertyRead read = ReadDeviceProperty(
        list, device, kPropertyHardwareId, buffer.data(), size, &required);
    return read == PropertyRead::kDone
               ? std::string(reinterpret_cast<const char*>(buffer.data()))
               : std::string("(not read)");
  };
  std::uint32_t required = 0;
  ASSERT_EQ(ReadDeviceProperty(list, first, kPropertyHardwareId, nullptr, 0,
                               &required),
            PropertyRead::kBufferTooSmall);
  ASSERT_TRUE(WriteFile(devices_ + "/0000:00:03.0/vendor", "0x8086\n"));
  ASSERT_TRUE(WriteFile(devices_ + "/0000:00:04.0/vendor", "0x10ec\n"));
  EXPECT_EQ(firstId(first, required),
            "PCI\\VEN_1AF4&DEV_1045&SUBSYS_11001AF4&REV_01");
  // Another device is read from its files, and so is the first one again.
  EXPECT_EQ(firstId(second, required),
            "PCI\\VEN_10EC&DEV_1045&SUBSYS_11001AF4&REV_01");
  EXPECT_EQ(firstId(first, required),
            "PCI\\VEN_8086&DEV_1045&SUBSYS_11001AF4&REV_01");

  // A device that cannot be read is not answered from an earlier one.
  ASSERT_EQ(unlink((devices_ + "/0000:00:04.0/vendor").c_str()), 0);
  EXPECT_EQ(firstId(second, required), "(not read)");

  std::string ids;
  ASSERT_EQ(unlink((devices_ + "/0000:00:04.0/device").c_str()), 0);
  ASSERT_TRUE(WriteFile(devices_ + "/0000:00:03.0/device", "0x0001\n"));
  ASSERT_EQ(rename((devices_ + "/0000:00:04.0").c_str(),
                   (folder_.Join("gone")).c_str()),
            0);
  ASSERT_EQ(ReadOnlyDevice(&ids), PropertyRead::kDone);
  EXPECT_EQ(ids.substr(0, ids.find('\0')),
            "PCI\\VEN_8086&DEV_0001&SUBSYS_11001AF4&REV_01");
}

TEST_F(PciTree, OtherPropertiesFail) {
  AddDevice("0000:00:03.0", DeviceFiles{});
  DeviceList list = OpenPciDeviceList(devices_.c_str(), "PCI");
  ASSERT_NE(list, nullptr);
  ScopedDeviceList owner(list);
  DeviceRecord device;
  ASSERT_TRUE(EnumerateDevice(list, 0, &device));
  unsigned char buffer[512];
  std::uint32_t required = 0;
  for (std::uint32_t property : {0u, 2u, 0x0Cu, 0xFFFFFFFFu}) {
    EXPECT_EQ(ReadDeviceProperty(list, device, property, buffer,
                                 sizeof buffer, &required),
              PropertyRead::kFailed)
        << property;
  }
}

// The vendor number tells the devices apart in the listing order.
std::string FirstId(DeviceList list, std::uint32_t index) {
  DeviceRecord device;
  if (!EnumerateDevice(list, index, &device)) return "(none)";
  unsigned char buffer[kHardwareIdsSize];
  std::uint32_t required = 0;
  if (ReadDeviceProperty(list, device, kPropertyHardwareId, buffer,
                         sizeof buffer, &required) != PropertyRead::kDone)
    return "(unreadable)";
  return reinterpret_cast<const char*>(buffer);
}

TEST_F(PciTree, DevicesInByteOrderOfTheirNames) {
  const char* names[] = {"0000:00:1f.0", "0000:00:02.0", "0000:01:00.0",
                         "0000:00:0A.0"};
  const char* vendors[] = {"0x001f\n", "0x0002\n", "0x0100\n", "0x000a\n"};
  for (int i = 0; i < 4; ++i) {
    DeviceFiles files;
    files.vendor = vendors[i];
    AddDevice(names[i], files);
  }
  DeviceList list = OpenPciDeviceList(devices_.c_str(), "pci");
  ASSERT_NE(list, nullptr);
  ScopedDeviceList owner(list);
  std::vector<std::string> vendorsInOrder;
  for (std::uint32_t index = 0; index < 5; ++index)
    vendorsInOrder.push_back(FirstId(list, index).substr(0, 12));
  EXPECT_EQ(vendorsInOrder,
            (std::vector<std::string>{"PCI\\VEN_0002", "PCI\\VEN_000A",
                                      "PCI\\VEN_001F", "PCI\\VEN_0100",
                                      "(none)"}));
}

struct EnumeratorCase {
  const char* enumerator;
  bool folderExists;
  bool listOpens;
  std::uint32_t devices;
};

void PrintTo(const EnumeratorCase& c, std::ostream* out) {
  *out << (c.enumerator ? c.enumerator : "(no enumerator)")
       << (c.folderExists ? "" : ", no folder");
}

class DeviceListEnumerator
    : public PciTree,
      public ::testing::WithParamInterface<EnumeratorCase> {};

TEST_P(DeviceListEnumerator, ListsPciDevicesOnlyForPci) {
  const EnumeratorCase& c = GetParam();
  AddDevice("0000:00:01.0", DeviceFiles{});
  AddDevice("0000:00:02.0", DeviceFiles{});
  const std::string folder =
      c.folderExists ? devices_ : folder_.Join("absent");
  DeviceList list = OpenPciDeviceList(folder.c_str(), c.enumerator);
  ASSERT_EQ(list != nullptr, c.listOpens);
  ScopedDeviceList owner(list);
  std::uint32_t count = 0;
  DeviceRecord device;
  while (EnumerateDevice(list, count, &device)) ++count;
  EXPECT_EQ(count, c.devices);
}

INSTANTIATE_TEST_SUITE_P(
    Enumerators, DeviceListEnumerator,
    ::testing::Values(EnumeratorCase{"PCI", true, true, 2},
                      EnumeratorCase{"pci", true, true, 2},
                      EnumeratorCase{"pCi", true, true, 2},
                      EnumeratorCase{nullptr, true, true, 2},
                      EnumeratorCase{"USB", true, true, 0},
                      EnumeratorCase{"PCIX", true, true, 0},
                      EnumeratorCase{"PC", true, true, 0},
                      EnumeratorCase{"", true, true, 0},
                      EnumeratorCase{"PCI", false, false, 0},
                      EnumeratorCase{"USB", false, true, 0}));

TEST(DeviceListSeam, NullListHasNoDevices) {
  DeviceRecord device{};
  std::uint32_t required = 0;
  EXPECT_FALSE(EnumerateDevice(nullptr, 0, &device));
  EXPECT_EQ(ReadDeviceProperty(nullptr, device, kPropertyHardwareId, nullptr,
                               0, &required),
            PropertyRead::kFailed);
}

// On this machine: the seam lists exactly the kernel's PCI device folders,
// or none at all where the kernel shows no PCI bus.
TEST(DeviceListSeam, ListsEveryKernelPciDevice) {
  std::uint32_t folderEntries = 0;
  DIR* folder = opendir(kPciDevicesFolder);
  if (folder) {
    while (const dirent* entry = readdir(folder)) {
      if (entry->d_name[0] != '.') ++folderEntries;
    }
    closedir(folder);
  }
  DeviceList list = OpenDeviceList(nullptr, "PCI");
  ASSERT_EQ(list != nullptr, folder != nullptr);
  ScopedDeviceList owner(list);
  std::uint32_t count = 0;
  DeviceRecord device;
  while (EnumerateDevice(list, count, &device)) {
    EXPECT_EQ(FirstId(list, count).compare(0, 8, "PCI\\VEN_"), 0);
    ++count;
  }
  EXPECT_EQ(count, folderEntries);
}

// On this machine: every device reads the same through its uevent file as
// through a copy of its number files alone, so the first hardware IDs are
// what they were before uevent was read.
TEST(DeviceListSeam, UeventAgreesWithTheNumberFilesHere) {
  std::vector<std::string> names;
  if (DIR* folder = opendir(kPciDevicesFolder)) {
    while (const dirent* entry = readdir(folder)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(folder);
  }
  if (names.empty()) GTEST_SKIP() << "this machine shows no PCI devices";
  TempFolder copies;
  ASSERT_FALSE(copies.path().empty());
  const FileDescriptor devices(
      open(kPciDevicesFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const FileDescriptor copied(
      open(copies.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  ASSERT_GE(devices.get(), 0);
  ASSERT_GE(copied.get(), 0);
  for (const std::string& name : names) {
    const std::string real = std::string(kPciDevicesFolder) + "/" + name;
    ASSERT_TRUE(MakeFolder(copies.Join(name)));
    for (const char* file : {"vendor", "device", "subsystem_vendor",
                             "subsystem_device", "revision", "class"}) {
      ASSERT_TRUE(WriteFile(copies.Join(name + "/" + file),
                            ReadFileText(real + "/" + file)));
    }
    PciNumbers fromEvent{}, fromFiles{};
    ASSERT_TRUE(ReadPciNumbers(devices.get(), name.c_str(), &fromEvent));
    ASSERT_TRUE(ReadPciNumbers(copied.get(), name.c_str(), &fromFiles));
    char eventIds[kHardwareIdsSize], fileIds[kHardwareIdsSize];
    const std::size_t size = FormatHardwareIds(fromEvent, eventIds);
    ASSERT_EQ(FormatHardwareIds(fromFiles, fileIds), size);
    EXPECT_EQ(std::string(eventIds, size), std::string(fileIds, size)) << name;
  }
}

}  // namespace
}  // namespace pomvarin::platform::posix
