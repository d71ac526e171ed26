// pomvarin-check's ReadProfileString: while a KeptProfileAnswers is in
// place, each file is read once (see ProfileFile) and each question (file,
// section, key and fallback) answered once and its answer kept, so the
// launcher's pass, run once for every configuration of machines, reads
// Pomvarin.ini once a run. With none in place every read is the system
// reader's.
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

  // ReadProfileString's answer, the system's the first time it is asked.
  void Read(const char* section, const char* key, const char* fallback,
            Text& value, const char* path);

 private:
  std::unordered_map<std::string, std::string> answers_;  // by question
  std::unordered_map<std::string, std::unique_ptr<ProfileFile>> files_;
  KeptProfileAnswers* replaced_;
};

}  // namespace pomvarin::platform
