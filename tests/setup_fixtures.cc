#include "tests/setup_fixtures.h"

namespace pomvarin::check::test {

namespace {

void Put(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  if (bytes.size() < at + size) bytes.resize(at + size);
  for (int i = 0; i < size; ++i)
    bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string Padded(std::string bytes, std::size_t alignment) {
  bytes.resize((bytes.size() + alignment - 1) / alignment * alignment);
  return bytes;
}

// A resource tree (root, type, ID and language directories, then the data
// entries and data) for a section loaded at address.
std::string ResourceSection(const std::vector<FixtureResource>& resources,
                            std::uint32_t address) {
  std::string bytes;
  const std::uint32_t root =
      16 + 8 * static_cast<std::uint32_t>(resources.size());
  Put(bytes, 14, static_cast<std::uint32_t>(resources.size()), 2);
  std::uint32_t at = root;
  for (std::size_t r = 0; r < resources.size(); ++r) {
    const FixtureResource& resource = resources[r];
    Put(bytes, 16 + 8 * r, resource.type, 4);
    Put(bytes, 20 + 8 * r, 0x80000000u | at, 4);
    Put(bytes, at + 14, 1, 2);  // the type's directory: one ID
    Put(bytes, at + 16, resource.id, 4);
    Put(bytes, at + 20, 0x80000000u | (at + 24), 4);
    Put(bytes, at + 24 + 14, 1, 2);  // the ID's directory: one language
    Put(bytes, at + 24 + 16, 0x409, 4);
    Put(bytes, at + 24 + 20, at + 48, 4);
    Put(bytes, at + 48, address + at + 64, 4);  // the data entry
    Put(bytes, at + 52, static_cast<std::uint32_t>(resource.data.size()), 4);
    bytes.resize(at + 64);
    bytes += Padded(resource.data, 8);
    at = static_cast<std::uint32_t>(bytes.size());
  }
  return bytes;
}

}  // namespace

std::string FixtureProgram(const std::vector<FixtureSection>& given,
                           const std::vector<FixtureResource>& resources,
                           const std::string& overlay) {
  std::vector<FixtureSection> sections = given;
  sections.insert(sections.begin(),
                  FixtureSection{".text", std::string(16, '\xC3')});
  const std::uint32_t resourceAddress =
      0x1000 * static_cast<std::uint32_t>(sections.size() + 1);
  if (!resources.empty())
    sections.push_back({".rsrc", ResourceSection(resources, resourceAddress)});
  std::string image = "MZ";
  const std::uint32_t pe = 0x80, optional = pe + 24, optionalSize = 224;
  Put(image, 0x3C, pe, 4);
  image.resize(pe);
  image += std::string("PE\0\0", 4);
  Put(image, pe + 4, 0x14C, 2);  // i386
  Put(image, pe + 6, static_cast<std::uint32_t>(sections.size()), 2);
  Put(image, pe + 20, optionalSize, 2);
  Put(image, pe + 22, 0x102, 2);     // an executable for 32-bit machines
  Put(image, optional, 0x10B, 2);    // PE32
  Put(image, optional + 92, 16, 4);  // data directories
  if (!resources.empty()) {
    Put(image, optional + 96 + 16, resourceAddress, 4);
    Put(image, optional + 96 + 20,
        static_cast<std::uint32_t>(sections.back().data.size()), 4);
  }
  const std::uint32_t table = optional + optionalSize;
  std::uint32_t raw =
      Padded(std::string(table + 40 * sections.size(), '\0'), 512).size();
  std::string data;
  for (std::size_t s = 0; s < sections.size(); ++s) {
    const std::uint32_t entry = table + 40 * static_cast<std::uint32_t>(s);
    image.resize(entry + 40);
    image.replace(entry, sections[s].name.size(), sections[s].name);
    const std::string padded = Padded(sections[s].data, 512);
    Put(image, entry + 8, static_cast<std::uint32_t>(sections[s].data.size()),
        4);
    Put(image, entry + 12, 0x1000 * static_cast<std::uint32_t>(s + 1), 4);
    Put(image, entry + 16, static_cast<std::uint32_t>(padded.size()), 4);
    Put(image, entry + 20, raw, 4);
    raw += static_cast<std::uint32_t>(padded.size());
    data += padded;
  }
  return Padded(image, 512) + data + overlay;
}

std::string FixtureOfKind(const std::string& key) {
  // NSIS fileform.h: flags, FH_SIG 0xDEADBEEF, "NullsoftInst", then the
  // header's lengths; the data follows.
  if (key == "nsis")
    return FixtureProgram({{".ndata", ""}}, {},
                          std::string("\0\0\0\0\xEF\xBE\xAD\xDE", 8) +
                              "NullsoftInst" + std::string(40, '\x5A'));
  // Inno Setup's SetupLdr: the offset table in RCDATA 11111, whose ID of
  // 5.1.5 and later is "rDlPtS" CD E6 D7 7B 0B 2A.
  if (key == "innoSetup")
    return FixtureProgram(
        {},
        {{10, 11111, "rDlPtS\xCD\xE6\xD7\x7B\x0B\x2A" + std::string(44, '\0')}},
        std::string(64, '\x11'));
  // Burn's stub section (StubSection.cpp): the magic 0x00F14300, a version,
  // the bundle's GUID, the sizes of its containers.
  if (key == "burnBundle") {
    std::string stub(512, '\0');
    Put(stub, 0, 0x00F14300, 4);
    Put(stub, 4, 2, 4);
    return FixtureProgram({{".wixburn", stub}}, {}, std::string(64, '\x22'));
  }
  // InstallShield's setup launcher: its version resource names the maker's
  // product, "InstallShield", in UTF-16.
  if (key == "installShield") {
    std::string version = std::string("\x5C\x00\x34\x00\x00\x00", 6);
    for (char c : std::string("VS_VERSION_INFO ProductName InstallShield"))
      version += std::string{c, '\0'};
    return FixtureProgram({}, {{16, 1, version}}, std::string(64, '\x33'));
  }
  // 7-Zip's installer module (7zS.sfx): its configuration, then the
  // archive with its signature 37 7A BC AF 27 1C.
  if (key == "sevenZipArchive")
    return FixtureProgram({}, {},
                          ";!@Install@!UTF-8!\r\nRunProgram=\"setup.exe\"\r\n"
                          ";!@InstallEnd@!7z\xBC\xAF\x27\x1C\x00\x04");
  // WinRAR's SFX module followed by a RAR 5 archive: "Rar!" 1A 07 01 00.
  if (key == "rarArchive")
    return FixtureProgram(
        {}, {},
        std::string("Rar!\x1A\x07\x01\x00", 8) + std::string(32, '\x44'));
  // The compound file header of an .msi: its signature, then its fields.
  if (key == "windowsInstaller")
    return "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0');
  return FixtureProgram({}, {}, "");
}

}  // namespace pomvarin::check::test
