#include "common/pci_hardware_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pomvarin {
namespace {

std::string IdList(const std::vector<std::string>& ids) {
  std::string list;
  for (const std::string& id : ids) list += id + '\0';
  return list + '\0';
}

TEST(HardwareIdFormat, WindowsFormMostSpecificFirst) {
  struct Case {
    PciNumbers numbers;
    std::vector<std::string> ids;
  };
  const Case cases[] = {
      {{0x1af4, 0x1045, 0x1af4, 0x1045, 0x01, 0xffff00},
       {"PCI\\VEN_1AF4&DEV_1045&SUBSYS_10451AF4&REV_01",
        "PCI\\VEN_1AF4&DEV_1045&SUBSYS_10451AF4",
        "PCI\\VEN_1AF4&DEV_1045&CC_FFFF00", "PCI\\VEN_1AF4&DEV_1045&CC_FFFF"}},
      // Small numbers keep their width.
      {{0x0001, 0x0002, 0x0003, 0x0004, 0x05, 0x000006},
       {"PCI\\VEN_0001&DEV_0002&SUBSYS_00040003&REV_05",
        "PCI\\VEN_0001&DEV_0002&SUBSYS_00040003",
        "PCI\\VEN_0001&DEV_0002&CC_000006", "PCI\\VEN_0001&DEV_0002&CC_0000"}},
  };
  for (const Case& c : cases) {
    char ids[kHardwareIdsSize];
    const std::size_t size = FormatHardwareIds(c.numbers, ids);
    EXPECT_EQ(std::string(ids, size), IdList(c.ids));
  }
}

}  // namespace
}  // namespace pomvarin
