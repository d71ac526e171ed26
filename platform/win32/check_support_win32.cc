// PomvarinCheck.exe's view of Pomvarin.ini and its folder, through the same
// profile reader the launcher uses.

#include "platform/check_support.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "common/text.h"
#include "platform/win32/debug_run.h"

namespace pomvarin::platform {

namespace {

// The profile calls answer with size - 2 when the list did not fit.
constexpr DWORD kFirstListSize = 4096;
constexpr DWORD kLargestListSize = 64u << 20;

// Reads a NUL-separated list, growing the buffer until it fits.
template <typename ReadList>
std::vector<std::string> ReadStringList(ReadList read) {
  std::vector<std::string> items;
  for (DWORD size = kFirstListSize; size <= kLargestListSize; size *= 2) {
    std::vector<char> buffer(size);
    const DWORD length = read(buffer.data(), size);
    if (length + 2 == size) continue;
    for (const char* item = buffer.data(); *item; item += std::strlen(item) + 1)
      items.emplace_back(item);
    break;
  }
  return items;
}

// Section and key names compare without ASCII case, as the reader does.
bool SameName(const std::string& a, const std::string& b) {
  return EqualIgnoringAsciiCase(a.c_str(), b.data(), b.size());
}

bool IsRepeat(const std::string& name,
              const std::vector<ProfileSection>& earlier) {
  for (const ProfileSection& section : earlier) {
    if (SameName(name, section.name)) return true;
  }
  return false;
}

constexpr char kLauncherName[] = "Pomvarin.exe";

// One argument written so that the C runtime's reading of a command line
// gives it back unchanged: quotes when it is empty or holds a blank, tab or
// quote, with the backslashes before a quote doubled.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

class TraceForwarder : public win32::DebugListener {
 public:
  explicit TraceForwarder(TraceReceiver& receiver) : receiver_(receiver) {}
  void Output(const std::string& text) override { receiver_.Receive(text); }

 private:
  TraceReceiver& receiver_;
};

std::string SystemMessage(DWORD code) {
  char text[512] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                      nullptr, code, 0, text, sizeof text, nullptr))
    return "error " + std::to_string(code);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

bool CanReadProfile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::vector<ProfileSection> ListProfileSections(const char* path) {
  std::vector<ProfileSection> sections;
  const std::vector<std::string> names =
      ReadStringList([path](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, path);
      });
  for (const std::string& name : names) {
    ProfileSection section{name, {}};
    if (!IsRepeat(name, sections)) {
      const std::vector<std::string> lines =
          ReadStringList([&](char* buffer, DWORD size) {
            return GetPrivateProfileSectionA(name.c_str(), buffer, size, path);
          });
      for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
          section.keys.push_back(line.substr(0, equals));
      }
    }
    sections.push_back(section);
  }
  return sections;
}

// Through the C runtime, whose file calls the program imports already.
bool ReadFileBytes(const char* path, std::string* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file),
                std::istreambuf_iterator<char>());
  return !file.bad();
}

bool ChangeDirectory(const char* path) {
  return SetCurrentDirectoryA(path) != FALSE;
}

bool HasSlashHelpSwitch() { return true; }

bool FindLauncherBesideSelf(std::string* path) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) {
    *path = kLauncherName;
    return false;
  }
  const std::string selfPath(self, length);
  *path = selfPath.substr(0, selfPath.find_last_of("\\/") + 1) + kLauncherName;
  const DWORD attributes = GetFileAttributesA(path->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RunWithTrace(const TracedRun& run, TraceReceiver& receiver,
                  std::uint32_t* exitStatus, std::string* error) {
  if (!run.folder.empty()) {
    const DWORD attributes = GetFileAttributesA(run.folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      *error = "cannot enter the folder " + run.folder;
      return false;
    }
  }
  std::string commandLine = "\"" + run.program + "\"";
  for (const std::string& argument : run.arguments)
    commandLine += " " + QuotedArgument(argument);
  TraceForwarder forwarder(receiver);
  DWORD code = 0;
  const win32::DebugOutcome outcome = win32::RunUnderDebugger(
      run.program.c_str(), commandLine,
      run.folder.empty() ? nullptr : run.folder.c_str(), forwarder, &code);
  if (outcome == win32::DebugOutcome::kNotStarted) {
    *error = SystemMessage(code);
    return false;
  }
  *exitStatus = code;
  return true;
}

}  // namespace pomvarin::platform
