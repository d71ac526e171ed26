// The floor of a typical run on Linux: the work a run with one entry, a
// match and a start must do, done the most direct way, in code of its own.
// Started like the launcher (bench_floor /s, in the disc's folder), it gives
// the same trace and starts the same file. It handles the benchmark's
// inputs, not every disc: no quotes in parameters, no opener for files that
// are not executable, no guard against link cycles.
//
// Its system calls, in order, besides the loader's and the C library's
// start that every program built this way makes:
//   rt_sigaction       SIGPIPE ignored: a trace nobody reads must not end it
//   write              trace: the arguments
//   getcwd             the current folder, once
//   openat read close  Pomvarin.ini, once, for all six values
//   write              trace: the VenID after the upper pass
//   the upper question, then (write: the VenID after the lower pass) the
//   lower question, each:
//     openat getdents64 getdents64(0)  the device folder, listed afresh
//     per device, in name order, until one matches:
//       openat read close  twice, relative to the device folder: uevent
//                          (vendor, device and subsystem in one file) and
//                          revision, all the first hardware ID needs
//     close
//   the walk, per folder from the vendor folder down:
//     openat getdents64 getdents64(0) close
//   write write        trace: the path, "Slience Install"
//   posix_spawn        the C library's clone(CLONE_VM | CLONE_VFORK) with
//                      its signal mask and stack; the child opens /dev/null
//                      as its standard streams and execs. Not waited for.
//   write              trace: the vendor folder
//   exit_group

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr int kText = 260;
const char kDevices[] = "/sys/bus/pci/devices";

void Trace(const char* text) {
  char line[1024];
  const int length = std::snprintf(line, sizeof line, "%s\n", text);
  if (length > 0 && write(STDERR_FILENO, line, length) < 0) return;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool SameIgnoringCase(const char* a, std::size_t length, const char* b) {
  for (std::size_t i = 0; i < length; ++i)
    if (Lower(a[i]) != Lower(b[i]) || b[i] == '\0') return false;
  return b[length] == '\0';
}

// ---- The configuration: one read, then every value from memory ------------

char config[8192];
std::size_t configSize = 0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value of key in section, blanks around it removed, or "Unknow".
void Value(const char* section, const char* key, char (&value)[kText]) {
  std::strcpy(value, "Unknow");
  bool inSection = false;
  for (std::size_t at = 0; at < configSize;) {
    std::size_t end = at;
    while (end < configSize && config[end] != '\n') ++end;
    std::size_t first = at, last = end;
    at = end + 1;
    while (first < last && IsBlank(config[first])) ++first;
    while (last > first && (IsBlank(config[last - 1]) || config[last - 1] == '\r'))
      --last;
    if (first == last || config[first] == ';') continue;
    if (config[first] == '[') {
      if (inSection) return;
      const char* close =
          static_cast<const char*>(std::memchr(config + first, ']', last - first));
      inSection = close && SameIgnoringCase(config + first + 1,
                                            close - config - first - 1, section);
      continue;
    }
    const char* equals =
        static_cast<const char*>(std::memchr(config + first, '=', last - first));
    if (!inSection || !equals) continue;
    std::size_t nameEnd = equals - config;
    while (nameEnd > first && IsBlank(config[nameEnd - 1])) --nameEnd;
    if (!SameIgnoringCase(config + first, nameEnd - first, key)) continue;
    std::size_t valueStart = equals - config + 1;
    while (valueStart < last && IsBlank(config[valueStart])) ++valueStart;
    std::size_t length = last - valueStart;
    if (length > kText - 1) length = kText - 1;
    std::memcpy(value, config + valueStart, length);
    value[length] = '\0';
    return;
  }
}

// ---- Devices ---------------------------------------------------------------

// The names of one listing of a folder, in one block, with an index.
struct Names {
  char block[65536];
  const char* name[1024];
  int count = 0;
};

bool ListFolder(int folder, Names& names, unsigned char* types = nullptr) {
  char buffer[32768];
  std::size_t used = 0;
  names.count = 0;
  for (;;) {
    const ssize_t got = getdents64(folder, buffer, sizeof buffer);
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t at = 0; at < got;) {
      const dirent64* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      const std::size_t length = std::strlen(name) + 1;
      if (used + length > sizeof names.block || names.count == 1024) return false;
      std::memcpy(names.block + used, name, length);
      if (types) types[names.count] = entry->d_type;
      names.name[names.count++] = names.block + used;
      used += length;
    }
  }
}

// Joins "device/file" by hand: this runs for every file of every device.
void DevicePath(const char* device, const char* file, char (&path)[512]) {
  const std::size_t deviceLength = std::strlen(device);
  std::memcpy(path, device, deviceLength);
  path[deviceLength] = '/';
  std::strcpy(path + deviceLength + 1, file);
}

// A device's file in one read, terminated, or -1.
ssize_t ReadDeviceFile(int devices, const char* device, const char* file,
                       char* text, std::size_t size) {
  char path[512];
  DevicePath(device, file, path);
  const int fd = openat(devices, path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  const ssize_t got = read(fd, text, size - 1);
  close(fd);
  if (got >= 0) text[got] = '\0';
  return got;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The hex digits after key in text, up to the first other character.
long EventNumber(const char* text, const char* key, const char** end) {
  const char* at = std::strstr(text, key);
  if (!at) return -1;
  at += std::strlen(key);
  long value = 0;
  const char* first = at;
  for (int digit; (digit = HexValue(*at)) >= 0; ++at) value = value * 16 + digit;
  *end = at;
  return at == first ? -1 : value;
}

void AppendHex(char*& at, long value, int digits) {
  for (int i = digits - 1; i >= 0; --i, value >>= 4) at[i] = "0123456789ABCDEF"[value & 0xF];
  at += digits;
}

void AppendText(char*& at, const char* text) {
  while (*text) *at++ = *text++;
}

// The uevent file gives vendor, device and subsystem ("PCI_ID=VVVV:DDDD",
// "PCI_SUBSYS_ID=VVVV:DDDD"); the revision file the rest of the first ID.
bool FirstIdHolds(int devices, const char* device, const char* text) {
  char event[1024], revisionText[32];
  if (ReadDeviceFile(devices, device, "uevent", event, sizeof event) < 0 ||
      ReadDeviceFile(devices, device, "revision", revisionText, sizeof revisionText) < 3)
    return false;
  const char* end;
  const long vendor = EventNumber(event, "PCI_ID=", &end);
  const long deviceId = *end == ':' ? EventNumber(end, ":", &end) : -1;
  const long subsystemVendor = EventNumber(event, "PCI_SUBSYS_ID=", &end);
  const long subsystemDevice = *end == ':' ? EventNumber(end, ":", &end) : -1;
  const long revision = EventNumber(revisionText, "0x", &end);
  if (vendor < 0 || deviceId < 0 || subsystemVendor < 0 || subsystemDevice < 0 ||
      revision < 0)
    return false;
  char id[128];
  char* at = id;
  AppendText(at, "PCI\\VEN_");
  AppendHex(at, vendor, 4);
  AppendText(at, "&DEV_");
  AppendHex(at, deviceId, 4);
  AppendText(at, "&SUBSYS_");
  AppendHex(at, subsystemDevice, 4);
  AppendHex(at, subsystemVendor, 4);
  AppendText(at, "&REV_");
  AppendHex(at, revision, 2);
  *at = '\0';
  return std::strstr(id, text) && std::strstr(id, "PCI");
}

int ByteOrder(const void* a, const void* b) {
  return std::strcmp(*static_cast<const char* const*>(a),
                     *static_cast<const char* const*>(b));
}

Names deviceNames;

bool FindDevice(const char* venId) {
  const int devices = open(kDevices, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (devices < 0) return false;
  bool found = false;
  if (ListFolder(devices, deviceNames)) {
    std::qsort(deviceNames.name, deviceNames.count, sizeof deviceNames.name[0],
               ByteOrder);
    for (int i = 0; i < deviceNames.count && !found; ++i)
      found = FirstIdHolds(devices, deviceNames.name[i], venId);
  }
  close(devices);
  return found;
}

// ---- The walk and the start ---------------------------------------------------

int ListingOrder(const void* a, const void* b) {
  const char* x = *static_cast<const char* const*>(a);
  const char* y = *static_cast<const char* const*>(b);
  for (; Lower(*x) == Lower(*y) && *x; ++x, ++y) {
  }
  return static_cast<unsigned char>(Lower(*x)) - static_cast<unsigned char>(Lower(*y));
}

void Start(const char* path, const char* parameters) {
  char program[4096], arguments[kText];
  std::snprintf(program, sizeof program, "%s", path);
  for (char* c = program; *c; ++c)
    if (*c == '\\') *c = '/';
  std::snprintf(arguments, sizeof arguments, "%s", parameters);
  char* argv[64] = {program};
  int count = 1;
  for (char* word = std::strtok(arguments, " "); word && count < 63;
       word = std::strtok(nullptr, " "))
    argv[count++] = word;
  argv[count] = nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int stream = 0; stream < 3; ++stream)
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_RDWR, 0);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigdefault(&attributes, &pipe);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t child;
  posix_spawn(&child, program, &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

// Depth first in the listing order; a start ends its own folder's search.
void Walk(const char* folder, const char* file, const char* parameters) {
  char posixFolder[4096];
  std::snprintf(posixFolder, sizeof posixFolder, "%s", folder);
  for (char* c = posixFolder; *c; ++c)
    if (*c == '\\') *c = '/';
  const int fd = open(posixFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  Names names;
  unsigned char types[1024];
  if (!ListFolder(fd, names, types)) {
    close(fd);
    return;
  }
  close(fd);
  const int count = names.count;
  // Sorting the index would lose the types; sort pairs of name and type.
  struct Entry {
    const char* name;
    unsigned char type;
  } entries[1024];
  for (int i = 0; i < count; ++i) entries[i] = {names.name[i], types[i]};
  std::qsort(entries, count, sizeof entries[0], ListingOrder);
  for (int i = 0; i < count; ++i) {
    const char* name = entries[i].name;
    char path[kText];
    if (std::snprintf(path, sizeof path, "%s\\%s", folder, name) >= kText) continue;
    if (entries[i].type == DT_DIR || name[0] == '.') {
      Walk(path, file, parameters);
    } else if (SameIgnoringCase(name, std::strlen(name), file)) {
      Trace(path);
      Trace("Slience Install");
      Start(path, parameters);
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  const char* arguments = argc > 1 ? argv[1] : "";
  Trace(arguments);
  const bool silent = std::strstr(arguments, "/s") || std::strstr(arguments, "/S");
  char folder[kText];
  if (!getcwd(folder, sizeof folder)) return 0;
  char path[kText + 16];
  std::snprintf(path, sizeof path, "%s/Pomvarin.ini", folder);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    const ssize_t got = read(fd, config, sizeof config);
    configSize = got > 0 ? static_cast<std::size_t>(got) : 0;
    close(fd);
  }
  char count[kText], name[kText], venId[kText], root[kText], normal[kText],
      quiet[kText];
  Value("PomvarinInfo", "VendorCount", count);
  bool matched = false;
  for (int n = 1; n <= std::atoi(count); ++n) {
    char section[32];
    std::snprintf(section, sizeof section, "VendorInfo%d", n);
    Value(section, "VenName", name);
    Value(section, "VenID", venId);
    Value(section, "SetupFileRootDir", root);
    Value(section, "SetupFileName", normal);
    Value(section, "SilentInstall", quiet);
    for (char* c = venId; *c; ++c) *c = Upper(*c);
    Trace(venId);
    const bool upperHit = FindDevice(venId);
    for (char* c = venId + (venId[0] ? 1 : 0); *c; ++c) *c = Lower(*c);
    Trace(venId);
    const bool lowerHit = FindDevice(venId);
    if (!upperHit && !lowerHit) continue;
    char rootPath[2 * kText];
    std::snprintf(rootPath, sizeof rootPath, "%s%s", folder, root);
    char* spec = silent ? quiet : normal;
    char* blank = std::strchr(spec, ' ');
    const char* parameters = blank ? blank : "";
    if (blank) {
      static char file[kText];
      std::snprintf(file, sizeof file, "%.*s", static_cast<int>(blank - spec), spec);
      Walk(rootPath, file, parameters);
    } else {
      Walk(rootPath, spec, parameters);
    }
    Trace(rootPath);
    matched = true;
  }
  if (!matched) Trace("Warning: No Matched Device Driver!");
  return 0;
}
