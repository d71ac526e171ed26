// Small setup files of each installer kind, made from the marks that each
// kind's documents and readers name (check/setup_kinds/setup_kind.cc lists them): a
// Windows program with the sections, resources and appended data an
// installer of that kind carries, and nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pomvarin::check::test {

struct FixtureSection {
  std::string name;  // up to 8 characters
  std::string data;
};

struct FixtureResource {
  std::uint32_t type;  // 10 RCDATA, 16 version, 24 manifest
  std::uint32_t id;
  std::string data;
};

// A 32-bit Windows program: "MZ", a PE header, the sections (each at a
// 4 KiB address, its raw data 512-aligned), a ".rsrc" section holding the
// resources when there are any, and then overlay, the appended data.
std::string FixtureProgram(const std::vector<FixtureSection>& sections,
                           const std::vector<FixtureResource>& resources,
                           const std::string& overlay);

// The fixture of each kind by its key ("nsis", "innoSetup", ...; see
// SetupKindKey), made as that kind's own builder lays it out.
std::string FixtureOfKind(const std::string& key);

}  // namespace pomvarin::check::test
