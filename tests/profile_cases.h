// Initialisation files and what reading one value from them must give. The
// Windows program's reader (the platform's own, under Wine in the tests) and
// the Linux reader are both held to this one table, so a Pomvarin.ini reads
// the same on both.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::tests {

struct ProfileCase {
  const char* name;
  std::string file;  // byte-exact, NUL bytes included
  const char* section;
  const char* key;
  const char* fallback;  // nullptr: none
  std::string expected;
};

inline std::vector<ProfileCase> ProfileCases() {
  // std::string literals, so that NUL bytes stay in the files.
  using namespace std::string_literals;
  const std::string longValue(300, 'v');
  const std::string longQuoted = "a" + std::string(298, 'v') + "z";
  // The fallback is passed as a pointer: it must outlive the table.
  static const std::string longFallback(300, 'f');
  return {
      {"plain", "[PomvarinInfo]\nVendorCount=2\n", "PomvarinInfo",
       "VendorCount", "Unknow", "2"},
      {"names without case", "[POMVARININFO]\nvendorcount=3\n", "PomvarinInfo",
       "VENDORCOUNT", "Unknow", "3"},
      {"case folds ASCII only", "[s]\n\xC3\x89=1\n", "s", "\xC3\xA9", "fb",
       "fb"},
      {"white space around names and values",
       " \t[ \tS \t] \r\n \v\f\x1Ak \t= \t v a l \t\v\f\x1A\r\n", "s", "k", "fb",
       "v a l"},
      {"requested names trimmed", "[s]\nk=v\n", " s\t", "\tk ", "fb", "v"},
      {"double quotes removed", "[s]\nk=\"setup.exe /q\"\n", "s", "k", "fb",
       "setup.exe /q"},
      {"single quotes removed", "[s]\nk='a b'\n", "s", "k", "fb", "a b"},
      {"quotes removed after trimming", "[s]\nk= \"a\" \n", "s", "k", "fb",
       "a"},
      {"blanks inside quotes kept", "[s]\nk=\" a \"\n", "s", "k", "fb", " a "},
      {"only one pair of quotes removed", "[s]\nk=\"\"a\"\"\n", "s", "k", "fb",
       "\"a\""},
      {"mixed quotes kept", "[s]\nk=\"a'\n", "s", "k", "fb", "\"a'"},
      {"lone quote kept", "[s]\nk=\"\n", "s", "k", "fb", "\""},
      {"quotes inside kept", "[s]\nk=a\"b\"\n", "s", "k", "fb", "a\"b\""},
      {"empty quoted value", "[s]\nk=''\n", "s", "k", "fb", ""},
      {"comment line", "[s]\n;k=1\nk=2\n", "s", "k", "fb", "2"},
      {"indented comment", "[s]\n \t;k=1\n", "s", "k", "fb", "fb"},
      {"commented section", ";[s]\nk=1\n", "s", "k", "fb", "fb"},
      {"semicolon inside a value kept", "[s]\nk=a ; b\n", "s", "k", "fb",
       "a ; b"},
      {"hash is no comment", "[s]\n#k=1\nk=2\n", "s", "#k", "fb", "1"},
      {"first key wins", "[s]\nk=1\nK=2\n", "s", "k", "fb", "1"},
      {"first section wins", "[s]\nk=1\n[S]\nk=2\n", "s", "k", "fb", "1"},
      {"only the first section searched", "[s]\na=1\n[s]\nk=2\n", "s", "k",
       "fb", "fb"},
      {"key of another section", "[t]\nk=1\n[s]\nj=2\n", "s", "k", "fb", "fb"},
      {"key after its section ends", "[s]\nj=1\n[t]\nk=2\n", "s", "k", "fb",
       "fb"},
      {"key before any section", "k=1\n[s]\n", "s", "k", "fb", "fb"},
      {"section found after others", "[B]\nKey=b\n[A]\nKey=a\n", "A", "Key",
       "Unknow", "a"},
      {"first equals sign splits", "[s]\nk=a=b\n", "s", "k", "fb", "a=b"},
      {"equals sign in a section name", "[a=b]\nk=1\n", "a=b", "k", "fb", "1"},
      {"text after the closing bracket ignored", "[s] ; note\nk=1\n", "s", "k",
       "fb", "1"},
      {"section name runs to the last bracket", "[s]x]\nk=1\n", "s]x", "k",
       "fb", "1"},
      {"bracket line without close is no section", "[s]\n[t\nk=1\n", "s", "k",
       "fb", "1"},
      {"name prefix does not match", "[ss]\nkk=1\n[s]\nk=2\n", "s", "k", "fb",
       "2"},
      {"longer request does not match", "[s]\nk=1\n", "s", "kk", "fb", "fb"},
      {"line without equals sign is a key without value",
       "[s]\nk\nk=2\n", "s", "k", "fb", "fb"},
      {"empty value is not the fallback", "[s]\nk=\n", "s", "k", "fb", ""},
      {"blank value is empty", "[s]\nk= \t \n", "s", "k", "fb", ""},
      {"missing section", "[t]\nk=1\n", "s", "k", "fb", "fb"},
      {"missing key", "[s]\nj=1\n", "s", "k", "Unknow", "Unknow"},
      {"empty file", "", "s", "k", "fb", "fb"},
      {"no fallback is empty", "", "s", "k", nullptr, ""},
      {"fallback loses trailing spaces", "", "s", "k", " fb  ", " fb"},
      {"long fallback cut to 259", "", "s", "k", longFallback.c_str(),
       longFallback.substr(0, 259)},
      {"value cut to 259", "[s]\nk=" + longValue + "\n", "s", "k", "fb",
       longValue.substr(0, 259)},
      {"value of 259 kept whole", "[s]\nk=" + longValue.substr(0, 259), "s",
       "k", "fb", longValue.substr(0, 259)},
      {"quotes removed before the cut", "[s]\nk=\"" + longQuoted + "\"\n", "s",
       "k", "fb", longQuoted.substr(0, 259)},
      {"backslashes kept", "[A]\nKey=\\Drivers\\Net\n", "A", "Key", "Unknow",
       "\\Drivers\\Net"},
      {"no final newline", "[s]\nk=1", "s", "k", "fb", "1"},
      {"no final newline after a section", "[s]", "s", "k", "fb", "fb"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "fb", "1"},
      {"byte-order mark only at the start", "[s]\n\xEF\xBB\xBFk=1\n", "s", "k",
       "fb", "fb"},
      {"NUL ends the value read", "[s]\nk=a\0b\n"s, "s", "k", "fb", "a"},
      {"NUL ends a section name", "[s\0x]\nk=1\n"s, "s", "k", "fb", "1"},
      {"NUL ends a key name", "[s]\nk\0x=1\n"s, "s", "k", "fb", "1"},
      {"NUL line skipped", "[s]\n\0\nk=1\n"s, "s", "k", "fb", "1"},
      // Line ends: LF, CRLF and a lone CR all end a line.
      {"CRLF", "[s]\r\nj=0\r\nk=crlf\r\n", "s", "k", "fb", "crlf"},
      {"CR only", "[PomvarinInfo]\rVendorCount=1\r[VendorInfo1]\rVenID=abc\r",
       "VendorInfo1", "VenID", "Unknow", "abc"},
      {"CR only, first section", "[PomvarinInfo]\rVendorCount=1\r[x]\r",
       "PomvarinInfo", "VendorCount", "Unknow", "1"},
      {"CR ends a value", "[s]\rname1=val1\rname2=\"val2\"\r", "s", "name1",
       "fb", "val1"},
      {"key after a CR line end", "[s]\rname1=val1\rname2=\"val2\"\r", "s",
       "name2", "fb", "val2"},
      {"mixed line ends", "[s]\r\nj=0\rk=1\nl=2", "s", "l", "fb", "2"},
      {"CR CR LF", "[s]\r\r\nk=1\r\r\n", "s", "k", "fb", "1"},
      {"LF CR", "[s]\n\rk=1\n\r", "s", "k", "fb", "1"},
      {"comment ends at a CR", "[s]\r;c\rk=1\r", "s", "k", "fb", "1"},
  };
}

}  // namespace pomvarin::tests
