#include "platform/capture/kept_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system_profile.h"
#include "tests/profile_cases.h"
#include "tests/temp_disc.h"

namespace pomvarin::platform {
namespace {

using check::test::TempDisc;

std::string Read(const std::string& path, const char* section, const char* key,
                 const char* fallback) {
  Text value;
  ReadProfileString(section, key, fallback, value, path.c_str());
  return value;
}

// The kept answers are the system reader's: each case, asked twice in one
// run, reads as the shared table says, whichever reader stands behind.
TEST(KeptProfileTest, KeptAnswersFollowTheSharedRules) {
  TempDisc disc;
  const KeptProfileAnswers kept;
  const std::vector<tests::ProfileCase> cases = tests::ProfileCases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string name = "case" + std::to_string(i) + ".ini";
    disc.Write(name, cases[i].file);
    const std::string path = disc.directory() + "\\" + name;
    for (int time = 0; time < 2; ++time)
      EXPECT_EQ(Read(path, cases[i].section, cases[i].key, cases[i].fallback),
                cases[i].expected)
          << cases[i].name;
  }
}

// One reading of a file answers every question as the system's reader does,
// whichever section it falls in: repeated and empty names, a "[" line
// without "]", comments, keys before the first section, NUL bytes.
TEST(KeptProfileTest, OneReadingAnswersEveryQuestionLikeTheReader) {
  using namespace std::string_literals;
  TempDisc disc;
  disc.Write("Pomvarin.ini",
             "\xEF\xBB\xBFk=0\r\n[A]\r\nk=1\r\n  [ b ] x\nk = 2\nk=3\nj\nj=4\n"
             "[a]\nk=5\nm=6\n[]\n=7\nk=8\n[c\nk=9\n[B]\nk=10\n;[D]\nm=12\n"
             "[D]\rk='11'\r[E]\nk=v\0w\nn\0x=13\n[F\0G]\nk=14\n"s);
  const std::string path = disc.directory() + "\\Pomvarin.ini";
  const KeptProfileAnswers kept;
  for (const char* section : {"A", "a", " b ", "B", "", "c", "[c", "D", "E",
                              "F", "f", "G", "H"})
    for (const char* key : {"k", "K", " k ", "j", "m", "", "n", "x"})
      for (const char* fallback : {"f ", static_cast<const char*>(nullptr)}) {
        Text system;
        ReadSystemProfileString(section, key, fallback, system, path.c_str());
        EXPECT_EQ(Read(path, section, key, fallback), std::string(system))
            << "[" << section << "] " << key;
      }
}

// Every part of a question counts; a file changed during the run still
// reads as it was first read, and as it is once the run is over.
TEST(KeptProfileTest, EachQuestionIsAnsweredOnceARun) {
  TempDisc disc;
  const std::string path = disc.directory() + "\\Pomvarin.ini";
  const std::string other = disc.directory() + "\\Other.ini";
  disc.Write("Pomvarin.ini", "[A]\nk=1\nj=2\n[B]\nk=3\n");
  disc.Write("Other.ini", "[A]\nk=4\n");
  {
    const KeptProfileAnswers kept;
    const auto questions = [&] {
      return Read(path, "A", "k", "f") + Read(path, "A", "j", "f") +
             Read(path, "B", "k", "f") + Read(other, "A", "k", "f") +
             Read(path, "A", "x", "f") + Read(path, "A", "x", "g") +
             Read(path, "A", "x", nullptr) + Read(path, "A", "x", "");
    };
    EXPECT_EQ(questions(), "1234fg");
    disc.Write("Pomvarin.ini", "[A]\nk=5\n");
    EXPECT_EQ(questions(), "1234fg");
  }
  EXPECT_EQ(Read(path, "A", "k", "f"), "5");
}

}  // namespace
}  // namespace pomvarin::platform
