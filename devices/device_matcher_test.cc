#include "devices/device_matcher.h"

#include <gtest/gtest.h>

#include "tests/fake_platform.h"

namespace pomvarin {
namespace {

using fake::PropertyBehaviour;

const char kIntelNic[] = "PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086&REV_02";

class DeviceMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }

  void AddDevice(std::vector<std::string> ids,
                 PropertyBehaviour behaviour = PropertyBehaviour::kIds) {
    fake::Current().devices.push_back({std::move(ids), behaviour});
  }

  bool Find(const char* vendor) {
    return matcher_.FindDevice("PCI", platform::kPropertyHardwareId, vendor,
                               platform::kPropertyHardwareId, "PCI");
  }

  // Every list and buffer obtained was given back.
  void ExpectAllReleased() {
    const fake::State& s = fake::Current();
    EXPECT_EQ(s.deviceListsOpened, s.deviceListsClosed);
    EXPECT_EQ(s.buffersAllocated, s.buffersReleased);
  }

  DeviceMatcher matcher_;
};

TEST_F(DeviceMatcherTest, MatchesOnTheFirstHardwareIdCaseSensitively) {
  AddDevice({kIntelNic, "PCI\\VEN_8086&DEV_100E&SUBSYS_001E8086",
             "PCI\\VEN_10EC&DEV_8139"});
  struct Case {
    const char* text;
    bool found;
  };
  const Case cases[] = {
      {"8086", true},       {"VEN_8086&DEV_100E", true},
      {"100e", false},      // hex digits are upper case on the device
      {"10EC", false},      // only in a later hardware ID
      {"", true},           // the empty text occurs everywhere
      {"REV_02", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find(c.text), c.found) << c.text;
  }
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, TheFirstDeviceThatPassesBothTestsEndsTheSearch) {
  AddDevice({"ROOT\\VEN_1AF4"});  // the vendor, but no "PCI"
  AddDevice({"PCI\\VEN_1AF4&DEV_1045"});
  AddDevice({"PCI\\VEN_1AF4&DEV_1042"});
  EXPECT_TRUE(Find("1AF4"));
  // Two requests (size, then data) per test: device 0 passes the vendor
  // test and fails "PCI", device 1 passes both, device 2 is never read.
  EXPECT_EQ(fake::Current().propertyRequests, 4 + 4);
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, NoDevicesAnswersFalseWithoutATraceLine) {
  EXPECT_FALSE(Find("8086"));
  EXPECT_TRUE(fake::Current().trace.empty());
  EXPECT_EQ(fake::Current().deviceListsOpened, 1);
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, AnUnavailableDeviceListIsTracedAndAnswersFalse) {
  fake::Current().deviceListAvailable = false;
  AddDevice({kIntelNic});
  EXPECT_FALSE(Find("8086"));
  EXPECT_EQ(fake::Current().trace,
            std::vector<std::string>{"Device information is unavailable"});
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, EveryQuestionListsTheDevicesAfresh) {
  AddDevice({kIntelNic});
  EXPECT_TRUE(Find("8086"));
  EXPECT_FALSE(Find("10DE"));
  fake::Current().devices.clear();
  EXPECT_FALSE(Find("8086"));
  EXPECT_EQ(fake::Current().deviceListsOpened, 3);
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, AnUnreadablePropertyIsTestedAsUnknown) {
  AddDevice({}, PropertyBehaviour::kUnreadable);
  platform::DeviceRecord device;
  platform::DeviceList list = platform::OpenDeviceList(nullptr, "PCI");
  ASSERT_TRUE(platform::EnumerateDevice(list, 0, &device));
  EXPECT_TRUE(matcher_.PropertyContains(list, device,
                                        platform::kPropertyHardwareId,
                                        "Unknow"));
  EXPECT_FALSE(matcher_.PropertyContains(list, device,
                                         platform::kPropertyHardwareId, "PCI"));
  platform::CloseDeviceList(list);
  // So the vendor pass's default VenID never matches such a device.
  EXPECT_FALSE(Find("Unknow"));
  EXPECT_EQ(fake::Current().buffersAllocated, 0);
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, GrowsTheBufferToTheRequiredSize) {
  std::string longId = "PCI\\VEN_ABCD&" + std::string(3000, 'X') + "&TAIL";
  AddDevice({longId});
  EXPECT_TRUE(Find("&TAIL"));
  EXPECT_EQ(fake::Current().buffersAllocated, 2);  // one per test text
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, RequestsEndForPropertiesThatNeverFit) {
  struct Case {
    const char* name;
    PropertyBehaviour behaviour;
    int requests;  // per question, the first included
  };
  // A growing property is asked for 8 times; one asking for the size it
  // already got is not asked again.
  const Case cases[] = {{"keeps growing", PropertyBehaviour::kKeepsGrowing, 8},
                        {"same size again", PropertyBehaviour::kSameSizeAgain, 2}};
  for (const Case& c : cases) {
    fake::Reset();
    AddDevice({kIntelNic}, c.behaviour);
    // The buffer stays zero-filled: an empty text, which holds no "PCI".
    EXPECT_FALSE(Find("8086")) << c.name;
    EXPECT_EQ(fake::Current().propertyRequests, c.requests) << c.name;
    ExpectAllReleased();
  }
}

TEST_F(DeviceMatcherTest, ALaterFailureLeavesTheBufferAsThePlatformLeftIt) {
  AddDevice({kIntelNic}, PropertyBehaviour::kWritesThenFails);
  EXPECT_TRUE(Find("8086"));
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, AFailedAllocationAnswersFalseAndReadsNothing) {
  AddDevice({kIntelNic});
  fake::Current().allocationFails = true;
  EXPECT_FALSE(Find("8086"));
  EXPECT_FALSE(Find(""));
  // Only the sizing requests were made; no buffer was handed over.
  EXPECT_EQ(fake::Current().propertyRequests, 2);
  ExpectAllReleased();
}

TEST_F(DeviceMatcherTest, ListsAreReleasedOnEveryPath) {
  AddDevice({"PCI\\VEN_1111"});
  AddDevice({}, PropertyBehaviour::kUnreadable);
  AddDevice({"PCI\\VEN_2222"}, PropertyBehaviour::kKeepsGrowing);
  for (const char* vendor : {"1111", "2222", "3333", ""}) Find(vendor);
  EXPECT_EQ(fake::Current().deviceListsOpened, 4);
  ExpectAllReleased();
}

}  // namespace
}  // namespace pomvarin
