// Telling a setup's kind from its bytes. The marks, and where each kind's
// own readers and the public detectors look for them:
// - Windows Installer: the compound-file signature D0 CF 11 E0 A1 B1 1A E1
//   at offset 0 (the compound file format's header).
// - Every other installer is a Windows program: "MZ", the PE header that
//   the DOS header's e_lfanew (offset 0x3C) points to, and its section
//   table; what follows the last section's raw data is the "overlay",
//   where installers keep their payload.
// - WiX Burn: a section named ".wixburn" whose data begins with the magic
//   0x00F14300 (Burn's stub section, src/burn/stub/StubSection.cpp).
// - NSIS: its first header at a 512-aligned offset from which its loader
//   searches, in practice where the overlay starts: 4 bytes of flags, then
//   EF BE AD DE and "NullsoftInst" (NSIS fileform.h: FH_SIG, FH_INT1-3).
// - Inno Setup: the loader's offset table in the RCDATA resource 11111,
//   beginning "rDlPtS" or "nS5W7dT" (Inno Setup 4 to 6), or the text "Inno"
//   at offset 0x30 (the loaders before them); the manifest name
//   "JR.Inno.Setup".
// - InstallShield: the text "InstallShield" in the version or manifest
//   resource, or at the start of the overlay (its setup stream's header).
// - Self-extracting archives, looked for last, since their signatures also
//   occur in other kinds' compressed payloads: 7-Zip's 37 7A BC AF 27 1C or
//   its installer configuration ";!@Install@!UTF-8!", RAR's "Rar!" 1A 07,
//   in the first block after the program.
// - Batch files and scripts: no mark of their own; a file that is no
//   program, with the name or first line of one.
#include "check/setup_kinds/setup_kind.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "common/ascii.h"
#include "platform/files.h"

namespace pomvarin::check {

namespace {

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kMostBlocks = 16;  // 64 KiB of any one file

// The file's bytes in blocks read as asked for, each once, and no more
// than kMostBlocks of them: reads past that give nothing.
class Blocks {
 public:
  explicit Blocks(const char* path) : file_(path) {}
  bool IsOpen() const { return file_.IsOpen(); }

  // Up to size bytes from offset; fewer at the end of the file.
  std::string Get(std::uint64_t offset, std::size_t size) {
    std::string bytes;
    while (bytes.size() < size) {
      const std::uint64_t at = offset + bytes.size();
      const std::string& block = Block(at / kBlock);
      const std::size_t within = static_cast<std::size_t>(at % kBlock);
      if (within >= block.size()) break;
      bytes.append(block, within, size - bytes.size());
    }
    return bytes;
  }

 private:
  const std::string& Block(std::uint64_t index) {
    auto found = blocks_.find(index);
    if (found != blocks_.end()) return found->second;
    std::string& block = blocks_[index];
    if (blocks_.size() <= kMostBlocks)
      file_.Read(index * kBlock, kBlock, &block);
    return block;
  }

  platform::FileAtOffsets file_;
  std::map<std::uint64_t, std::string> blocks_;
};

std::uint32_t Number(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool Holds(std::string_view bytes, std::string_view text) {
  return bytes.find(text) != std::string_view::npos;
}

// text as UTF-16 LE, as version resources hold their strings.
std::string Utf16(std::string_view text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  return wide;
}

struct Section {
  std::string name;
  std::uint32_t address, rawSize, rawOffset;
};

// What the PE headers say, as far as the kinds need it.
struct Program {
  std::vector<Section> sections;
  std::uint64_t overlay = 0;    // where the last section's raw data ends
  std::uint32_t resources = 0;  // the resource directory's address, or 0
};

bool ReadProgram(Blocks& file, Program* program) {
  const std::string dos = file.Get(0, 0x40);
  if (dos.size() < 0x40 || dos.compare(0, 2, "MZ") != 0) return false;
  const std::uint32_t pe = Number(dos, 0x3C, 4);
  const std::string header = file.Get(pe, 24);
  if (header.size() < 24 || header.compare(0, 4, std::string("PE\0\0", 4)) != 0)
    return false;
  const std::uint32_t count = Number(header, 6, 2);
  const std::uint32_t optionalSize = Number(header, 20, 2);
  const std::string optional = file.Get(pe + 24, optionalSize);
  // The resource directory is data directory 2, after the optional
  // header's fields of 96 bytes (PE32) or 112 (PE32+).
  const std::size_t directories =
      optional.size() >= 2 && Number(optional, 0, 2) == 0x20B ? 112 : 96;
  if (optional.size() >= directories + 3 * 8)
    program->resources = Number(optional, directories + 2 * 8, 4);
  const std::string table = file.Get(pe + 24 + optionalSize, count * 40u);
  for (std::size_t at = 0; at + 40 <= table.size(); at += 40) {
    Section section{table.substr(at, 8), Number(table, at + 12, 4),
                    Number(table, at + 16, 4), Number(table, at + 20, 4)};
    section.name = section.name.substr(0, section.name.find('\0'));
    program->overlay = std::max<std::uint64_t>(
        program->overlay, std::uint64_t{section.rawOffset} + section.rawSize);
    program->sections.push_back(section);
  }
  return !program->sections.empty();
}

// Where an address of the loaded program lies in the file, or 0.
std::uint64_t FileOffset(const Program& program, std::uint32_t address) {
  for (const Section& section : program.sections)
    if (address >= section.address &&
        address - section.address < section.rawSize)
      return std::uint64_t{section.rawOffset} + (address - section.address);
  return 0;
}

// The first bytes (at most size) of the resource of the type and ID, in
// its first language; "" where the program has none.
std::string Resource(Blocks& file, const Program& program, std::uint32_t type,
                     std::uint32_t id, std::size_t size) {
  const std::uint64_t base = FileOffset(program, program.resources);
  if (program.resources == 0 || base == 0) return "";
  // A directory's entries: named ones first, then those by number; an
  // entry's second word, its top bit set, is the offset of a directory.
  std::uint32_t offset = 0;
  for (std::uint32_t wanted : {type, id, 0u}) {
    const std::string directory = file.Get(base + offset, 16);
    if (directory.size() < 16) return "";
    const std::uint32_t named = Number(directory, 12, 2);
    const std::uint32_t numbered = Number(directory, 14, 2);
    const std::string entries =
        file.Get(base + offset + 16 + named * 8u, numbered * 8u);
    bool found = false;
    for (std::size_t at = 0; at + 8 <= entries.size() && !found; at += 8) {
      if (wanted != 0 && Number(entries, at, 4) != wanted) continue;
      offset = Number(entries, at + 4, 4);
      found = true;
    }
    if (!found) return "";
    if (wanted != 0 && (offset & 0x80000000u) == 0) return "";
    offset &= 0x7FFFFFFFu;
  }
  const std::string data = file.Get(base + offset, 8);
  if (data.size() < 8) return "";
  const std::uint64_t at = FileOffset(program, Number(data, 0, 4));
  const std::uint32_t length = Number(data, 4, 4);
  return at == 0 ? "" : file.Get(at, length < size ? length : size);
}

bool IsBurn(Blocks& file, const Program& program) {
  for (const Section& section : program.sections)
    if (section.name == ".wixburn")
      return file.Get(section.rawOffset, 4) ==
             std::string("\x00\x43\xF1\x00", 4);
  return false;
}

bool IsNsis(Blocks& file, const Program& program) {
  const std::uint64_t first = (program.overlay + 511) / 512 * 512;
  const std::string mark = std::string("\xEF\xBE\xAD\xDE") + "NullsoftInst";
  for (std::uint64_t at = first; at < first + kBlock; at += 512)
    if (file.Get(at + 4, mark.size()) == mark) return true;
  return false;
}

bool IsInno(Blocks& file, const Program& program, const std::string& manifest) {
  const std::string loader = Resource(file, program, 10, 11111, 12);
  return loader.compare(0, 6, "rDlPtS") == 0 ||
         loader.compare(0, 7, "nS5W7dT") == 0 || file.Get(0x30, 4) == "Inno" ||
         Holds(manifest, "JR.Inno.Setup");
}

bool IsInstallShield(Blocks& file, const Program& program,
                     const std::string& manifest, const std::string& overlay) {
  return Holds(Resource(file, program, 16, 1, kBlock),
               Utf16("InstallShield")) ||
         Holds(manifest, "InstallShield") ||
         overlay.compare(0, 13, "InstallShield") == 0;
}

SetupKind ProgramKind(Blocks& file, const Program& program) {
  if (IsBurn(file, program)) return SetupKind::kBurnBundle;
  if (IsNsis(file, program)) return SetupKind::kNsis;
  const std::string manifest = Resource(file, program, 24, 1, kBlock);
  if (IsInno(file, program, manifest)) return SetupKind::kInnoSetup;
  const std::string overlay = file.Get(program.overlay, kBlock);
  if (IsInstallShield(file, program, manifest, overlay))
    return SetupKind::kInstallShield;
  if (Holds(overlay, "7z\xBC\xAF\x27\x1C") ||
      overlay.compare(0, 18, ";!@Install@!UTF-8!") == 0)
    return SetupKind::kSevenZipArchive;
  if (Holds(overlay, "Rar!\x1A\x07")) return SetupKind::kRarArchive;
  return SetupKind::kUnknownProgram;
}

bool EndsWith(const std::string& name, const char* ending) {
  const std::string end = ending;
  return name.size() >= end.size() &&
         LowerAscii(name.substr(name.size() - end.size())) == end;
}

}  // namespace

SetupKind RecogniseSetupKind(const char* path) {
  Blocks file(path);
  if (!file.IsOpen()) return SetupKind::kUnknownProgram;
  const std::string start = file.Get(0, 8);
  if (start == "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")
    return SetupKind::kWindowsInstaller;
  Program program;
  if (ReadProgram(file, &program)) return ProgramKind(file, program);
  const std::string name = path;
  if (EndsWith(name, ".bat") || EndsWith(name, ".cmd"))
    return SetupKind::kBatchFile;
  if (start.compare(0, 2, "#!") == 0 || EndsWith(name, ".vbs") ||
      EndsWith(name, ".js") || EndsWith(name, ".wsf") || EndsWith(name, ".ps1"))
    return SetupKind::kScript;
  return SetupKind::kUnknownProgram;
}

}  // namespace pomvarin::check
