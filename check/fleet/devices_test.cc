#include "check/fleet/devices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/device_matcher.h"

namespace pomvarin::check {
namespace {

// The device that answered, by its first hardware ID.
class Answer : public DeviceAnswered {
 public:
  void OnDeviceAnswered(platform::DeviceList list,
                        const platform::DeviceRecord& device) override {
    id = FirstHardwareId(list, device);
  }
  std::string id;
};

TEST(DeviceCaptureTest, TheLaunchersQuestionRunsOnTheCapture) {
  const Devices devices{
      {{}},  // unreadable: never matches, not even "Unknow"
      {{"HDAUDIO\\VEN_1AF4&DEV_0001"}},  // holds no "PCI"
      {{"PCI\\VEN_8086&DEV_1AF4", "PCI\\VEN_1AF4&DEV_1041"}},
      {{"PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01"}},
  };
  const struct {
    const char* text;
    int device;  // -1: none
  } cases[] = {
      {"VEN_1AF4", 3},  // the second ID of device 2 takes no part
      {"1AF4", 2},      // DEV_ digits count too: the first such device wins
      {"Ven_1af4", -1}, // the test is case-sensitive
      {"", 2},          // the empty text occurs everywhere
      {"Unknow", -1},
  };
  const platform::ScopedCapture capture(devices);
  const DeviceMatcher matcher;
  for (const auto& c : cases) {
    Answer answer;
    const bool found = matcher.FindDevice("PCI", platform::kPropertyHardwareId,
                                          c.text, platform::kPropertyHardwareId,
                                          "PCI", &answer);
    EXPECT_EQ(found, c.device >= 0) << c.text;
    EXPECT_EQ(answer.id, c.device >= 0 ? devices[c.device].hardwareIds[0] : "")
        << c.text;
  }
}

}  // namespace
}  // namespace pomvarin::check
