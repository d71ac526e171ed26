#include "launcher/configuration.h"

#include <gtest/gtest.h>

#include <climits>

namespace pomvarin {
namespace {

TEST(ParseVendorCountTest, ConvertsLikeASigned32BitDecimal) {
  struct Case {
    const char* text;
    std::int32_t count;
  };
  const Case cases[] = {
      {"1", 1},          {"0", 0},           {"-2", -2},
      {"abc", 0},        {"0x3", 0},         {"3xyz", 3},
      {"+3", 3},         {" \t\n\v\f\r7", 7}, {"Unknow", 0},
      {"", 0},           {"+-3", 0},         {"- 3", 0},
      {" +12 34", 12},   {"007", 7},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"99999999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseVendorCount(c.text), c.count) << '"' << c.text << '"';
  }
}

TEST(NextVendorNumberTest, StopsAfterTheCountEvenAtTheLargestValue) {
  std::int32_t n = 1;
  EXPECT_TRUE(NextVendorNumber(n, 2));
  EXPECT_EQ(n, 2);
  EXPECT_FALSE(NextVendorNumber(n, 2));
  EXPECT_EQ(n, 2);

  n = INT32_MAX - 1;
  EXPECT_TRUE(NextVendorNumber(n, INT32_MAX));
  EXPECT_EQ(n, INT32_MAX);
  EXPECT_FALSE(NextVendorNumber(n, INT32_MAX));  // no wrap to a negative n
  EXPECT_EQ(n, INT32_MAX);
}

TEST(VendorSectionNameTest, AppendsTheNumberWithoutLeadingZeros) {
  struct Case {
    std::int32_t n;
    const char* section;
  };
  const Case cases[] = {{1, "VendorInfo1"},
                        {12, "VendorInfo12"},
                        {INT32_MAX, "VendorInfo2147483647"}};
  for (const Case& c : cases) {
    Text section;
    VendorSectionName(c.n, section);
    EXPECT_STREQ(section, c.section);
  }
}

}  // namespace
}  // namespace pomvarin
