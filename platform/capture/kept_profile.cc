#include "platform/capture/kept_profile.h"

#include <cstring>

#include "platform/image/image_folders.h"
#include "platform/platform.h"
#include "platform/system_profile.h"

namespace pomvarin::platform {

namespace {

KeptProfileAnswers* kept = nullptr;

// Each part of a question in its own terms, a null pointer apart from an
// empty text: a NUL ends a present part, and a missing one is a lone NUL.
void AppendPart(std::string& question, const char* part) {
  if (part) {
    question += '\1';
    question += part;
  }
  question += '\0';
}

}  // namespace

KeptProfileAnswers::KeptProfileAnswers() : replaced_(kept) { kept = this; }

KeptProfileAnswers::~KeptProfileAnswers() { kept = replaced_; }

void KeptProfileAnswers::Read(const char* section, const char* key,
                              const char* fallback, Text& value,
                              const char* path) {
  std::string question;
  for (const char* part : {path, section, key, fallback})
    AppendPart(question, part);
  auto [at, fresh] = answers_.try_emplace(std::move(question));
  if (fresh) {
    std::unique_ptr<ProfileFile>& file = files_[path];
    if (!file) file = std::make_unique<ProfileFile>(path);
    file->Read(section, key, fallback, value);
    at->second = value;
  }
  // The answer came from a Text: it fits with its NUL.
  std::memcpy(value, at->second.c_str(), at->second.size() + 1);
}

void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path) {
  // A question without a file is the system reader's alone. A file of an
  // image in place is read from its copy; the image has no other.
  const char* file = path ? FileHolding(path) : nullptr;
  if (path && !file) {
    std::strncpy(value, fallback ? fallback : "", kTextSize - 1);
    value[kTextSize - 1] = '\0';
  } else if (kept && file) {
    kept->Read(section, key, fallback, value, file);
  } else {
    ReadSystemProfileString(section, key, fallback, value, file);
  }
}

}  // namespace pomvarin::platform
