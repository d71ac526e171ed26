// The .inf case table against the platform's own INF parser (SetupAPI,
// under Wine in the tests): what it reads of [Manufacturer] and the models
// sections the check's rule picks must be what the check reads.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "check/packages/inf_target.h"
#include "common/ascii.h"
#include "tests/inf_cases.h"

namespace pomvarin::check {
namespace {

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0],
                                  static_cast<int>(wide.size())) - 1);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  std::string utf8(4 * wcslen(wide) + 1, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0],
                                  static_cast<int>(utf8.size()), nullptr,
                                  nullptr) - 1);
  return utf8;
}

// The fields of a line from 1, %strkey% substituted by the parser.
std::vector<std::string> Fields(INFCONTEXT* line) {
  std::vector<std::string> fields;
  const DWORD count = SetupGetFieldCount(line);
  for (DWORD i = 1; i <= count; ++i) {
    std::vector<wchar_t> text(MAX_INF_STRING_LENGTH + 1);
    DWORD needed = 0;
    fields.push_back(SetupGetStringFieldW(line, i, text.data(),
                                          static_cast<DWORD>(text.size()),
                                          &needed)
                         ? Utf8(text.data())
                         : std::string());
  }
  return fields;
}

std::vector<std::vector<std::string>> Lines(HINF inf,
                                            const std::string& section) {
  std::vector<std::vector<std::string>> lines;
  INFCONTEXT line;
  if (!SetupFindFirstLineW(inf, Wide(section).c_str(), nullptr, &line))
    return lines;
  do lines.push_back(Fields(&line));
  while (SetupFindNextLine(&line, &line));
  return lines;
}

// What the parser gives: refused, or the PCI IDs in the check's order.
struct Reading {
  bool refused = false;
  tests::InfIds ids;
};

Reading ReadWithSetupApi(const std::wstring& path, const char* target) {
  Reading reading;
  UINT errorLine = 0;
  HINF inf = SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4,
                               &errorLine);
  if (inf == INVALID_HANDLE_VALUE) {
    reading.refused = true;
    return reading;
  }
  InfTarget system;
  if (target) {
    EXPECT_TRUE(ParseInfTarget(target, &system)) << target;
  }
  std::set<std::string> sectionsRead, idsSeen;
  for (const auto& fields : Lines(inf, "Manufacturer")) {
    if (fields.empty() || fields[0].empty()) continue;
    const ModelsChoice choice = ChooseModels(
        fields[0], std::vector<std::string>(fields.begin() + 1, fields.end()),
        target ? &system : nullptr);
    for (const std::string& section : choice.sections) {
      if (!sectionsRead.insert(LowerAscii(section)).second) continue;
      for (const auto& model : Lines(inf, section)) {
        for (std::size_t i = 1; i < model.size(); ++i) {
          const std::string id = UpperAscii(model[i]);
          if (id.size() > 4 && id.compare(0, 4, "PCI\\") == 0 &&
              idsSeen.insert(id).second)
            reading.ids.push_back(id);
        }
      }
    }
  }
  SetupCloseInfFile(inf);
  return reading;
}

TEST(SetupApiInfTest, ReadsTheTableOfCasesAsTheCheckDoes) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring path = std::wstring(folder) + L"pomvarin-case-" +
                            std::to_wstring(GetCurrentProcessId()) + L".inf";
  for (const tests::InfCase& c : tests::InfCases(POMVARIN_INF_TESTDATA)) {
    ASSERT_FALSE(c.file.empty()) << c.name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, c.file.data(), static_cast<DWORD>(c.file.size()), &written,
              nullptr);
    CloseHandle(file);
    const Reading reading = ReadWithSetupApi(path, c.target);
    if (c.wineDiffers) {
      // Held to what Wine is known to read, so that a change shows.
      std::printf("[ WINE DIFFERS ] %s: %s\n", c.name, c.wineDiffers);
      EXPECT_EQ(reading.refused, c.wineRefused) << c.name;
      EXPECT_EQ(reading.ids, c.wineIds) << c.name;
      continue;
    }
    EXPECT_EQ(reading.refused, c.refused) << c.name;
    EXPECT_EQ(reading.ids, c.ids) << c.name;
  }
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace pomvarin::check
