// .inf files and the PCI IDs Windows reads from their models sections for
// a target. The check's reader (on Linux and on Windows) and, in the
// Windows builds, the platform's own INF parser under Wine are held to this
// one table. Each models section lists IDs of its own, so the IDs name the
// sections read. Which decorated section applies is the check's rule in
// both: Wine has no call that picks it.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ascii.h"

namespace pomvarin::tests {

using InfIds = std::vector<std::string>;

inline std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

struct InfCase {
  const char* name;
  std::string file;    // byte-exact
  const char* target;  // a decoration; nullptr: every models section
  bool refused;        // Windows refuses the file: it serves no device
  InfIds ids;          // upper case, in the order the check lists them
  // Where Wine is known to read otherwise than Windows: why, and what it
  // reads instead. The row itself says what Windows reads.
  const char* wineDiffers = nullptr;
  bool wineRefused = false;
  InfIds wineIds = {};
};

// The real-looking packages in tests/inf, and rows of one rule each;
// folder is that folder.
inline std::vector<InfCase> InfCases(const std::string& folder) {
  using namespace std::string_literals;  // NUL bytes stay in the files
  const auto read = [&folder](const char* name) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string head = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";
  // A package whose [Manufacturer] line is manufacturer, and rest after it.
  const auto inf = [&head](const std::string& manufacturer,
                           const std::string& rest) {
    return head + "[Manufacturer]\r\n" + manufacturer + "\r\n" + rest;
  };
  const std::string models = "[Models]\r\nd = i, PCI\\VEN_1&DEV_1\r\n";
  const InfIds one = {"PCI\\VEN_1&DEV_1"};
  // Sections of the decoration tests, each listing the ID of its name.
  const auto sections = [](std::initializer_list<const char*> decorations) {
    std::string text;
    for (const char* decoration : decorations)
      text += "[M." + std::string(decoration) + "]\r\nd = i, PCI\\VEN_2&" +
              decoration + "\r\n";
    return text;
  };
  const auto id = [](const char* decoration) {
    return UpperAscii("PCI\\VEN_2&" + std::string(decoration));
  };
  const std::string generations = inf(
      "X = M, ntx86.5.1, NTamd64, NT.6",
      sections({"ntx86.5.1", "NTamd64", "NT.6"}));
  const std::string productTypes = inf(
      "X = M, NTamd64.6.1.3, NTamd64.6.1.1, NTx86.6.1, NTx86.6.1.1",
      sections({"NTamd64.6.1.3", "NTamd64.6.1.1", "NTx86.6.1", "NTx86.6.1.1"}));
  const std::string suites = inf(
      "X = M, NT, NT.5, NT.5.5, NT....0x80",
      sections({"NT", "NT.5", "NT.5.5", "NT....0x80"}));
  const std::string builds = inf(
      "X = M, NTamd64.6.1, NTamd64.10.0, NTamd64.10.0...14393",
      sections({"NTamd64.6.1", "NTamd64.10.0", "NTamd64.10.0...14393"}));
  const char* const kWineStringsOnly =
      "Wine 8 substitutes %strkey% from [Strings] only, never from a "
      "localised [Strings.LLLL]";
  const char* const kWineKeepsCr =
      "Wine 8 ends a quote left open at LF, keeping the CR of a CR LF in "
      "the text; Windows reads such a Signature as signed";
  const char* const kWineGuessesUtf16 =
      "Wine 8 guesses from its bytes whether a file without a byte-order "
      "mark is UTF-16 (RtlIsTextUnicode), and NUL bytes can make it take "
      "this ANSI file for UTF-16 and refuse it";
  const char* const kWineNulAtEnds =
      "Wine 8 keeps a NUL byte at a field's start as a space, where Windows "
      "reads it as a blank";
  return {
      // What is read, and in which order.
      {"hardware and compatible IDs, upper-cased; other buses left out",
       inf("Maker=Models", "[Models]\n"
                           "a = i, pci\\ven_10ab&dev_0001, PCI\\VEN_10AB&CC_0200\n"
                           "b = i, USB\\VID_1234&PID_0001\n"),
       nullptr, false, {"PCI\\VEN_10AB&DEV_0001", "PCI\\VEN_10AB&CC_0200"}},
      {"sections and keys without case, comments, quotes, %strkey%",
       inf("\"Maker; Inc\" = %sect% ; the models",
           "[MODELS]\n; PCI\\VEN_0BAD&DEV_0001 in a comment\n"
           "\"a, b\" = i, %ID%\n"
           "[strings]\nSECT = Models\nid = \"PCI\\VEN_10AB&DEV_0002\"\n"),
       nullptr, false, {"PCI\\VEN_10AB&DEV_0002"}},
      {"models sections before and after [Manufacturer], named by %strkey%",
       "[Version]\nSignature=$Chicago$\n[First]\na = i, PCI\\VEN_1&DEV_1\n"
       "[Manufacturer]\nM = %First%\nN = Last\n"
       "[Last]\nb = i, PCI\\VEN_1&DEV_2\n[Strings]\nfirst = First\n",
       nullptr, false, {"PCI\\VEN_1&DEV_1", "PCI\\VEN_1&DEV_2"}},
      {"IDs in the order of the lines naming their sections, each once",
       inf("A = Second\r\nB = First\r\nC = Second",
           "[First]\nx = i, PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2\n"
           "[Second]\ny = i, PCI\\VEN_1&DEV_2, PCI\\VEN_1&DEV_3\n"
           "[First]\nz = i, PCI\\VEN_1&DEV_3, PCI\\VEN_1&DEV_4\n"),
       nullptr, false,
       {"PCI\\VEN_1&DEV_2", "PCI\\VEN_1&DEV_3", "PCI\\VEN_1&DEV_1",
        "PCI\\VEN_1&DEV_4"}},
      {"UTF-16 LE with its byte-order mark",
       Utf16Le(inf("X = %M%", models + "[Strings]\r\nM = Models\r\n")), nullptr,
       false, one},
      // Lines before the first section.
      {"junk lines before the first section, with [Strings]",
       read("stray_lines.inf"), nullptr, false,
       {"PCI\\VEN_1C7A&DEV_0410&SUBSYS_00011C7A", "PCI\\VEN_1C7A&DEV_0410"}},
      {"junk lines before the first section, on a 64-bit system",
       read("stray_lines.inf"), "NTamd64.10.0", false,
       {"PCI\\VEN_1C7A&DEV_0410"}},
      {"a junk line without [Strings]", "*++\r\n" + inf("X = Models", models),
       nullptr, true, {}},
      {"a key before the first section without [Strings]",
       "Signature=\"$Windows NT$\"\r\n" + inf("X = Models", models), nullptr,
       true, {}},
      // Quotes.
      {"quotes left open at the line's end", read("open_quote.inf"), nullptr,
       false,
       {"PCI\\VEN_1E91&DEV_2200&CC_0106", "PCI\\VEN_1E91&DEV_2201"},
       kWineKeepsCr, true},
      {"an open quote takes the commas up to the line's end",
       inf("X = Models",
           "[Models]\r\nd = i, \"PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2\r\n"),
       nullptr, false, {"PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2"}, kWineKeepsCr,
       false, {"PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2\r"}},
      {"an open quote at the end of an LF line",
       inf("X = Models", "[Models]\nd = i, \"PCI\\VEN_1&DEV_1\n"), nullptr,
       false, one},
      {"doubled quotes and quoted blanks",
       inf("\"A \"\"B\"\"\" = \" Models \"",
           "[ Models ]\r\nd = i, \"PCI\\VEN_1&DEV_1\"\"\"\r\n"),
       nullptr, false, {"PCI\\VEN_1&DEV_1\""}},
      // Product types and suites.
      {"the client's section, not the server's left empty",
       read("product_types.inf"), "NTamd64.6.1", false,
       {"PCI\\VEN_1B4E&DEV_1500", "PCI\\VEN_1B4E&DEV_1501"}},
      {"a server reads the section for servers", read("product_types.inf"),
       "NTamd64.6.1.3", false, {}},
      {"a workstation's section on a later workstation",
       read("product_types.inf"), "NTx86.10.0", false,
       {"PCI\\VEN_1B4E&DEV_1500"}},
      {"a target without a product type is a workstation", productTypes,
       "NTamd64.6.1", false, {id("NTamd64.6.1.1")}},
      {"product type 3 is a server", productTypes, "NTamd64.6.1.3", false,
       {id("NTamd64.6.1.3")}},
      {"a product type before none at one version", productTypes,
       "NTx86.6.1.1", false, {id("NTx86.6.1.1")}},
      {"a version before a suite mask", suites, "NTx86.5.1.1.0x80", false,
       {id("NT.5")}},
      {"a suite mask the system lacks", suites, "NTx86.5.1", false,
       {id("NT.5")}},
      {"a suite mask the system has",
       inf("X = M, NTx86, NTx86....0x80", sections({"NTx86", "NTx86....0x80"})),
       "NTx86.6.1.3.0x82", false, {id("NTx86....0x80")}},
      // Versions, then architecture.
      {"the highest version not above the system's", generations,
       "NTx86.6.1", false, {id("NT.6")}},
      {"an older x86 system", generations, "NTx86.5.2", false,
       {id("ntx86.5.1")}},
      {"architecture where versions are equal",
       inf("X = M, NT.6.1, NTx86.6.1", sections({"NT.6.1", "NTx86.6.1"})),
       "NTx86.6.1", false, {id("NTx86.6.1")}},
      {"generations of a real package", read("versions.inf"), "NTx86.6.1",
       false, {"PCI\\VEN_17D9&DEV_5160"}},
      {"generations of a real package, 64-bit", read("versions.inf"),
       "NTamd64.6.3", false, {"PCI\\VEN_17D9&DEV_5170"}},
      {"a build below a decoration's build", builds, "NTamd64.10.0...10240",
       false, {id("NTamd64.10.0")}},
      {"a build at a decoration's build", builds,
       "NTamd64.10.0.0x1.0x0.14393", false, {id("NTamd64.10.0...14393")}},
      {"a target without a build is the newest", builds, "NTamd64.10.0",
       false, {id("NTamd64.10.0...14393")}},
      {"a build counts only within its version", builds, "NTamd64.6.3...99999",
       false, {id("NTamd64.6.1")}},
      {"every decorated section without a target", read("versions.inf"),
       nullptr, false,
       {"PCI\\VEN_17D9&DEV_5100", "PCI\\VEN_17D9&DEV_5164",
        "PCI\\VEN_17D9&DEV_5160", "PCI\\VEN_17D9&DEV_5170",
        "PCI\\VEN_17D9&DEV_51A0", "PCI\\VEN_17D9&DEV_51A1"}},
      // Decorations without an architecture are x86's.
      {"NT.6.0 on x86", read("no_architecture.inf"), "NTx86.6.1", false,
       {"PCI\\VEN_1A3C&DEV_0560"}},
      {"NT.5.2 on a 64-bit system", read("no_architecture.inf"),
       "NTamd64.5.2", false, {}},
      {"NTamd64.6.0 on a 64-bit system", read("no_architecture.inf"),
       "NTamd64.10.0", false, {"PCI\\VEN_1A3C&DEV_6460"}},
      {"the undecorated section on an old x86 system",
       read("no_architecture.inf"), "NTx86.5.1", false,
       {"PCI\\VEN_1A3C&DEV_0500"}},
      {"no undecorated section on a 64-bit system", inf("X = Models", models),
       "NTamd64.10.0", false, {}},
      {"a target without architecture is x86", generations, "NT.6.1", false,
       {id("NT.6")}},
      // The syntax rows Windows' own parser is known by.
      {"section names as written, continued lines, lines without a key, "
       "NUL, ^Z",
       read("syntax.inf"), nullptr, false,
       {"PCI\\VEN_1F0D&DEV_0010", "PCI\\VEN_1F0D&DEV_0011",
        "PCI\\VEN_1F0D&DEV_0013", "PCI\\VEN_1F0D&DEV_0014",
        "PCI\\VEN_1F0D&DEV_0020"},
       kWineNulAtEnds, false,
       {"PCI\\VEN_1F0D&DEV_0010", "PCI\\VEN_1F0D&DEV_0011",
        "PCI\\VEN_1F0D&DEV_0013", "PCI\\VEN_1F0D&DEV_0020"}},
      {"a NUL byte inside a name or a value is a space",
       inf("X = \"Mod els\"", "[Mod\0els]\r\nd = i, PCI\\VEN_1&DEV\0_1\r\n"s),
       nullptr, false, {"PCI\\VEN_1&DEV _1"},
       kWineGuessesUtf16, true},
      {"a NUL byte inside a value is a space",
       inf("X = Models", "[Models]\r\nd = i, PCI\\VEN_1&DEV\0_1\r\n"s),
       nullptr, false, {"PCI\\VEN_1&DEV _1"}, kWineGuessesUtf16, true},
      {"NUL bytes at a value's ends are blanks",
       inf("X = Models", "[Models]\r\nd = i,\0PCI\\VEN_1&DEV_1 \0\r\n"s),
       nullptr, false, one, kWineNulAtEnds, false, {}},
      {"a NUL byte after a value is a blank",
       inf("X = Models", "[Models]\r\nd = i, PCI\\VEN_1&DEV_1 \0\r\n"s),
       nullptr, false, one},
      {"^Z ends the file", inf("X = Models", models + "\x1A\r\n" +
                                                "d = i, PCI\\VEN_1&DEV_2\r\n"),
       nullptr, false, one},
      {"a section name is not trimmed",
       inf("X = Models", "[ Models ]\r\n" + models.substr(10)), nullptr, false,
       {}},
      {"a comment after the heading, a semicolon inside it",
       inf("X = \"Mod;els\"", "[Mod;els] ; the models\r\n" + models.substr(10)),
       nullptr, false, one},
      {"continued by two backslashes, and past a comment",
       inf("X = Models", "[Models]\r\nd = i, \\\\\r\n  PCI\\VEN_1&DEV_1, \\ ; c\r\n"
                         " PCI\\VEN_1&DEV_2 \\"),
       nullptr, false, {"PCI\\VEN_1&DEV_1", "PCI\\VEN_1&DEV_2"}},
      {"a backslash inside a line is kept",
       inf("X = Models", "[Models]\r\nd = i, PCI\\VEN_1&DEV_1 \\ x\r\n"),
       nullptr, false, {"PCI\\VEN_1&DEV_1 \\ X"}},
      {"a,b=c has no key",
       inf("X = Models", "[Models]\r\nd, i = PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2\r\n"),
       nullptr, false, {"PCI\\VEN_1&DEV_2"}},
      {"no [Version] signature", "[Manufacturer]\r\nX = Models\r\n" + models,
       nullptr, true, {}},
      {"a signature Windows does not know",
       "[Version]\r\nSignature=\"$Windows XP$\"\r\n[Manufacturer]\r\nX = "
       "Models\r\n" + models,
       nullptr, true, {}},
      {"a signature of another section",
       "[Strings]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\nX = "
       "Models\r\n" + models,
       nullptr, true, {}},
      {"an unsigned real package", read("unsigned.inf"), nullptr, true, {}},
      {"$Windows 95$ in any case, its first Signature line",
       "[version]\r\nsignature=$WINDOWS 95$\r\nSignature=x\r\n"
       "[Manufacturer]\r\nX = Models\r\n" + models,
       nullptr, false, one},
      {"a section name without its \"]\"", inf("X = Models", "[Models\r\n"),
       nullptr, true, {}},
      {"a section name of 256 characters",
       inf("X = Models", models + "[" + std::string(256, 's') + "]\r\n"),
       nullptr, true, {}},
      {"a section name of 255 characters",
       inf("X = " + std::string(255, 's'),
           "[" + std::string(255, 's') + "]\r\nd = i, PCI\\VEN_1&DEV_1\r\n"),
       nullptr, false, one},
      // Strings.
      {"[Strings] before localised ones, and %% is %",
       inf("X = %M%",
           "[Models]\r\nd = i, %Id%, \"PCI\\VEN_1&DEV_%%\"\r\n"
           "[Strings.0407]\r\nM = Andere\r\nId = PCI\\VEN_1&DEV_7\r\n"
           "[Strings]\r\nM = Models\r\nid = PCI\\VEN_1&DEV_1\r\n"),
       nullptr, false, {"PCI\\VEN_1&DEV_1", "PCI\\VEN_1&DEV_%"}},
      {"only localised strings: the first one's locale", read("localised.inf"),
       "NTamd64.10.0", false, {"PCI\\VEN_1D6F&DEV_0407"}, kWineStringsOnly,
       {}},
  };
}

}  // namespace pomvarin::tests
