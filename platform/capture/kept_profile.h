// pomvarin-check's ReadProfileString: while a KeptProfileAnswers is in
// place, each question (file, section, key and fallback) is answered once,
// by the file's ProfileFile (which on Linux reads the file once), and the
// answer kept, so the launcher's pass, run once for every configuration of
// machines, reads Pomvarin.ini once a run. With none in place every read is
// the system reader's.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/platform.h"
#include "platform/profile_sections.h"

namespace pomvarin::platform {

class KeptProfileAnswers {
 public:
  KeptProfileAnswers();
  ~KeptProfileAnswers();
  KeptProfileAnswers(const KeptProfileAnswers&) = delete;
  KeptProfileAnswers& operator=(const KeptProfileAnswers&) = delete;

  // ReadProfileString's answer, the ProfileFile's the first time it is
  // asked.
  void Read(const char* section, const char* key, const char* fallback,
            Text& value, const char* path);

 private:
  std::unordered_map<std::string, std::string> answers_;  // by question
  std::unordered_map<std::string, std::unique_ptr<ProfileFile>> files_;
  KeptProfileAnswers* replaced_;
};

}  // namespace pomvarin::platform
