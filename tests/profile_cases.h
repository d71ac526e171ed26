// Initialisation files and what reading one value from them must give. The
// Windows program's reader (the platform's own) and the Linux reader are
// both held to this one table, so a Pomvarin.ini reads the same on both.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::tests {

struct ProfileCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;  // with the fallback "Unknow"
};

inline std::vector<ProfileCase> ProfileCases() {
  const std::string longValue(300, 'v');
  return {
      {"plain", "[PomvarinInfo]\nVendorCount=2\n", "PomvarinInfo",
       "VendorCount", "2"},
      {"names without case", "[pomvarininfo]\nVENDORCOUNT=3\n",
       "PomvarinInfo", "VendorCount", "3"},
      {"white space trimmed", "  [ PomvarinInfo ]  \n\t VendorCount \t= 4 \t\n",
       "PomvarinInfo", "VendorCount", "4"},
      {"CRLF", "[A]\r\nKey=crlf\r\nOther=x\r\n", "A", "Key", "crlf"},
      {"no final newline", "[A]\nKey=last", "A", "Key", "last"},
      {"UTF-8 BOM", "\xEF\xBB\xBF[A]\nKey=bom\n", "A", "Key", "bom"},
      {"double quotes removed", "[A]\nKey=\"setup.exe /q\"\n", "A", "Key",
       "setup.exe /q"},
      {"single quotes removed", "[A]\nKey='x'\n", "A", "Key", "x"},
      {"unmatched quotes kept", "[A]\nKey=\"x'\n", "A", "Key", "\"x'"},
      {"semicolon inside a value kept", "[A]\nKey=a;b\n", "A", "Key", "a;b"},
      {"comment line", "[A]\n;Key=commented\nKey=real\n", "A", "Key", "real"},
      {"first key wins", "[A]\nKey=first\nKey=second\n", "A", "Key", "first"},
      {"first split at the first equals sign", "[A]\nKey=a=b\n", "A", "Key",
       "a=b"},
      {"empty value is not the fallback", "[A]\nKey=\n", "A", "Key", ""},
      {"value cut to 259", "[A]\nKey=" + longValue + "\n", "A", "Key",
       longValue.substr(0, 259)},
      {"missing key", "[A]\nOther=1\n", "A", "Key", "Unknow"},
      {"missing section", "[B]\nKey=1\n", "A", "Key", "Unknow"},
      {"key of another section", "[B]\nKey=b\n[A]\nOther=a\n", "A", "Key",
       "Unknow"},
      {"section found after others", "[B]\nKey=b\n[A]\nKey=a\n", "A", "Key",
       "a"},
      {"backslashes kept", "[A]\nKey=\\Drivers\\Net\n", "A", "Key",
       "\\Drivers\\Net"},
  };
}

}  // namespace pomvarin::tests
