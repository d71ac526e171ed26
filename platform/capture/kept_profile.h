// pomvarin-check's ReadProfileString: while a KeptProfileAnswers is in
// place, each question (file, section, key and fallback) is put to the
// system's reader once and its answer kept, so the launcher's pass, run once
// for every configuration of machines, reads Pomvarin.ini once a run. With
// none in place every read is the system's.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/platform.h"

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
  KeptProfileAnswers* replaced_;
};

}  // namespace pomvarin::platform
