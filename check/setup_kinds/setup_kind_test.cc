// Each setup kind told from its bytes, and each kind's switches.
#include "check/setup_kinds/setup_kind.h"

#include <gtest/gtest.h>

#include "tests/setup_fixtures.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::FixtureOfKind;
using test::FixtureProgram;
using test::TempDisc;

SetupKind KindOf(TempDisc& disc, const std::string& name,
                 const std::string& bytes) {
  disc.Write(name, bytes);
  return RecogniseSetupKind((disc.directory() + "\\" + name).c_str());
}

TEST(SetupKindTest, EachKindIsToldFromItsBytes) {
  const SetupKind kinds[] = {
      SetupKind::kWindowsInstaller, SetupKind::kNsis,
      SetupKind::kInnoSetup,        SetupKind::kBurnBundle,
      SetupKind::kInstallShield,    SetupKind::kSevenZipArchive,
      SetupKind::kRarArchive,
  };
  TempDisc disc;
  for (SetupKind kind : kinds) {
    const std::string key = SetupKindKey(kind);
    // The name says nothing: every one is "setup.exe".
    EXPECT_EQ(KindOf(disc, key + "/setup.exe", FixtureOfKind(key)), kind) << key;
  }
}

TEST(SetupKindTest, OtherFilesAndTheOrderOfTheMarks) {
  const std::string nsisHeader =
      std::string("\0\0\0\0\xEF\xBE\xAD\xDE", 8) + "NullsoftInst";
  std::string oldInno = FixtureProgram({}, {}, "");
  oldInno.replace(0x30, 4, "Inno");  // the loaders before Inno Setup 4
  const struct {
    const char* name;
    std::string bytes;
    SetupKind kind;
  } cases[] = {
      {"empty.exe", "", SetupKind::kUnknownProgram},
      {"plain.exe", FixtureProgram({}, {}, ""), SetupKind::kUnknownProgram},
      {"old-inno.exe", oldInno, SetupKind::kInnoSetup},
      {"inno-manifest.exe",
       FixtureProgram({}, {{24, 1, "<assemblyIdentity name=\"JR.Inno.Setup\"/>"}}, ""),
       SetupKind::kInnoSetup},
      // An archive inside an NSIS installer's data is still NSIS's.
      {"nsis-7z.exe", FixtureProgram({}, {}, nsisHeader + "7z\xBC\xAF\x27\x1C"),
       SetupKind::kNsis},
      // NSIS's header only counts at a 512-aligned offset.
      {"nsis-unaligned.exe", FixtureProgram({}, {}, "x" + nsisHeader),
       SetupKind::kUnknownProgram},
      {"burn-no-magic.exe",
       FixtureProgram({{".wixburn", std::string(512, '\0')}}, {}, ""),
       SetupKind::kUnknownProgram},
      {"is-overlay.exe", FixtureProgram({}, {}, std::string("InstallShield\0", 14)),
       SetupKind::kInstallShield},
      // A PE header offset far past the end, and a truncated header.
      {"far.exe", std::string("MZ") + std::string(58, '\0') + "\xF0\xFF\xFF\xFF",
       SetupKind::kUnknownProgram},
      {"short.exe", "MZ", SetupKind::kUnknownProgram},
      {"install.CMD", "@echo off\r\nmsiexec /i a.msi /qn\r\n", SetupKind::kBatchFile},
      {"setup.sh", "#!/bin/sh\necho setup\n", SetupKind::kScript},
      {"setup.vbs", "WScript.Echo 1\r\n", SetupKind::kScript},
  };
  TempDisc disc;
  for (const auto& c : cases)
    EXPECT_EQ(KindOf(disc, c.name, c.bytes), c.kind) << c.name;
  EXPECT_EQ(RecogniseSetupKind((disc.directory() + "\\missing.exe").c_str()),
            SetupKind::kUnknownProgram);
  disc.MakeFolder("folder.msi");
  EXPECT_EQ(RecogniseSetupKind((disc.directory() + "\\folder.msi").c_str()),
            SetupKind::kUnknownProgram);
}

TEST(SetupSwitchesTest, WhatSilencesEachKindAndKeepsItFromRestarting) {
  using A = SwitchAnswer;
  const struct {
    SetupKind kind;
    const char* parameters;
    A silences, keeps;
    bool windowsInstaller;
    const char* responseFile;
  } cases[] = {
      {SetupKind::kNsis, " /S", A::kYes, A::kUnknown, false, ""},
      {SetupKind::kNsis, " /s", A::kNo, A::kUnknown, false, ""},
      {SetupKind::kNsis, " \"/S\" /D=C:\\Program Files\\X", A::kYes, A::kUnknown, false, ""},
      {SetupKind::kInnoSetup, " /verysilent /suppressmsgboxes /norestart", A::kYes, A::kYes, false, ""},
      {SetupKind::kInnoSetup, " /SILENT /SUPPRESSMSGBOXES", A::kNo, A::kNo, false, ""},
      {SetupKind::kInnoSetup, " -VERYSILENT -SUPPRESSMSGBOXES", A::kNo, A::kNo, false, ""},
      {SetupKind::kWindowsInstaller, " /qn /norestart", A::kYes, A::kYes, true, ""},
      {SetupKind::kWindowsInstaller, " -quiet REBOOT=ReallySuppress", A::kYes, A::kYes, true, ""},
      {SetupKind::kWindowsInstaller, " /qb", A::kNo, A::kNo, true, ""},
      {SetupKind::kWindowsInstaller, " /passive", A::kYes, A::kNo, true, ""},
      {SetupKind::kBurnBundle, " -q -norestart", A::kYes, A::kYes, true, ""},
      {SetupKind::kBurnBundle, " /quiet", A::kYes, A::kNo, true, ""},
      {SetupKind::kInstallShield, " /s /v\"/qn /norestart\"", A::kYes, A::kYes, true, ""},
      {SetupKind::kInstallShield, " /s /v\"/qb\"", A::kNo, A::kNo, true, ""},
      {SetupKind::kInstallShield, " /S", A::kYes, A::kUnknown, false, "setup.iss"},
      {SetupKind::kInstallShield, " /s /f1\"answers\\driver.iss\"", A::kYes, A::kUnknown,
       false, "answers\\driver.iss"},
      {SetupKind::kInstallShield, " /v\"/qn\"", A::kNo, A::kNo, true, ""},
      {SetupKind::kSevenZipArchive, " /S", A::kUnknown, A::kUnknown, false, ""},
      {SetupKind::kUnknownProgram, " /quiet", A::kUnknown, A::kUnknown, false, ""},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(SetupKindKey(c.kind)) + c.parameters;
    EXPECT_EQ(Silences(c.kind, c.parameters), c.silences) << what;
    EXPECT_EQ(KeepsFromRestarting(c.kind, c.parameters), c.keeps) << what;
    EXPECT_EQ(UsesWindowsInstaller(c.kind, c.parameters), c.windowsInstaller) << what;
    EXPECT_EQ(ResponseFile(c.kind, c.parameters), c.responseFile) << what;
  }
}

TEST(SetupSwitchesTest, TheRecommendedSwitchesSilenceTheirKind) {
  for (SetupKind kind : {SetupKind::kNsis, SetupKind::kInnoSetup,
                         SetupKind::kWindowsInstaller, SetupKind::kBurnBundle,
                         SetupKind::kInstallShield}) {
    const std::string parameters = std::string(" ") + RecommendedSwitches(kind);
    EXPECT_EQ(Silences(kind, parameters), SwitchAnswer::kYes) << parameters;
    EXPECT_NE(KeepsFromRestarting(kind, parameters), SwitchAnswer::kNo) << parameters;
    EXPECT_NE(parameters.find(NoRestartSwitch(kind)), std::string::npos) << parameters;
  }
  EXPECT_STREQ(RecommendedSwitches(SetupKind::kRarArchive), "");
  EXPECT_STREQ(RecommendedSwitches(SetupKind::kBatchFile), "");
}

}  // namespace
}  // namespace pomvarin::check
