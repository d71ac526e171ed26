#include "common/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace pomvarin {
namespace {

TEST(JoinPathTest, FitsUpToTheLimitAndNoFurther) {
  struct Case {
    std::size_t folderLength;
    std::size_t nameLength;
    bool fits;
  };
  // folder + "\" + name must stay within 259 characters.
  const Case cases[] = {{257, 1, true},  {258, 0, true}, {258, 1, false},
                        {259, 0, false}, {1, 257, true}, {1, 258, false},
                        {300, 1, false}};
  for (const Case& c : cases) {
    std::string folder(c.folderLength, 'f');
    std::string name(c.nameLength, 'n');
    Text path = "untouched";
    EXPECT_EQ(JoinPath(path, folder.c_str(), name.c_str()), c.fits)
        << c.folderLength << " + " << c.nameLength;
    if (c.fits) {
      EXPECT_EQ(std::string(path), folder + "\\" + name);
    }
  }
}

TEST(EqualIgnoringAsciiCaseTest, ComparesWholeNamesByAsciiCaseOnly) {
  struct Case {
    const char* name;
    const char* wanted;
    bool equal;
  };
  const Case cases[] = {
      {"Setup.exe", "SETUP.EXE", true},
      {"setup.exe", "setup.exe", true},
      {"setup.exe", "setup.ex", false},   // no prefixes
      {"setup.ex", "setup.exe", false},
      {"setup.exe", "setup.*", false},    // no wildcards
      {"\xC4X", "\xE4x", false},          // other bytes keep their case
      {"\xC4x", "\xC4X", true},
      {"[setup]", "{SETUP}", false},      // neighbours of the letters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualIgnoringAsciiCase(c.name, c.wanted, std::strlen(c.wanted)),
              c.equal)
        << c.name << " / " << c.wanted;
  }
}

TEST(FirstStringContainsTest, SearchesOnlyTheFirstStringWithinTheBuffer) {
  const unsigned char ids[] = "PCI\\VEN_8086&DEV_1234\0PCI\\VEN_10DE\0";
  EXPECT_TRUE(FirstStringContains(ids, sizeof ids, "VEN_8086"));
  EXPECT_TRUE(FirstStringContains(ids, sizeof ids, ""));
  EXPECT_FALSE(FirstStringContains(ids, sizeof ids, "VEN_10DE"));
  EXPECT_FALSE(FirstStringContains(ids, sizeof ids, "ven_8086"));
}

TEST(FirstStringContainsTest, StopsAtTheBufferEndWithoutATerminator) {
  // The bytes after the buffer must never take part.
  const unsigned char bytes[] = {'P', 'C', 'I', 'X', 'Y'};
  EXPECT_TRUE(FirstStringContains(bytes, 3, "PCI"));
  EXPECT_FALSE(FirstStringContains(bytes, 3, "PCIX"));
  EXPECT_FALSE(FirstStringContains(bytes, 0, "P"));
  EXPECT_TRUE(FirstStringContains(bytes, 0, ""));
}

}  // namespace
}  // namespace pomvarin
