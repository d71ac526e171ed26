#include "platform/posix/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pomvarin::platform::posix {
namespace {

using Strings = std::vector<std::string>;

struct JoinCase {
  Strings arguments;
  std::string expected;
};

TEST(JoinArgumentsTest, JoinsWithSingleBlanks) {
  const JoinCase cases[] = {
      {{}, ""},
      {{"/s"}, "/s"},
      {{"/s", "x y"}, "/s x y"},
      {{"", "a", ""}, " a "},
      {{std::string(10000, 'a'), "b"}, std::string(10000, 'a') + " b"},
  };
  for (const JoinCase& c : cases) {
    std::vector<char*> pointers;
    for (const std::string& argument : c.arguments)
      pointers.push_back(const_cast<char*>(argument.c_str()));
    HeapBlock text;
    ASSERT_TRUE(JoinArguments(static_cast<int>(pointers.size()),
                              pointers.data(), &text));
    EXPECT_EQ(text.get(), c.expected);
  }
}

struct SplitCase {
  const char* parameters;
  Strings expected;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(c.parameters));
}

class ParameterSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ParameterSplit, ProgramThenArguments) {
  const SplitCase& c = GetParam();
  ArgumentVector vector;
  ASSERT_TRUE(vector.Build("/disc/setup", c.parameters));
  Strings arguments;
  for (char* const* argument = vector.get(); *argument; ++argument)
    arguments.push_back(*argument);
  Strings expected = {"/disc/setup"};
  expected.insert(expected.end(), c.expected.begin(), c.expected.end());
  EXPECT_EQ(arguments, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, ParameterSplit,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{" \t ", {}}, SplitCase{" /S", {"/S"}},
        SplitCase{"a  b\tc ", {"a", "b", "c"}},
        SplitCase{"\"a b\" c", {"a b", "c"}},
        SplitCase{"x\"a b\"y z", {"xa by", "z"}},
        SplitCase{"\"\"", {""}}, SplitCase{"a \"\" b", {"a", "", "b"}},
        SplitCase{"\"open end", {"open end"}},
        SplitCase{"C:\\Disc\\a.inf /q", {"C:\\Disc\\a.inf", "/q"}},
        SplitCase{"a\\\"b c\\\" d", {"a\\b c\\", "d"}},
        SplitCase{"a b c d e f", {"a", "b", "c", "d", "e", "f"}}));

}  // namespace
}  // namespace pomvarin::platform::posix
