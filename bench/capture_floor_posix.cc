// The floor of a fleet check's reading: every file below the folders it is
// given (the machines' captures, and the disc for the rows that weigh it),
// listed, opened, read whole and split into lines and blank-separated
// words, counted and let go. No format is recognised, nothing is kept: what
// is left is what any reader of the same files must do.
//
//   bench_capture_floor FOLDER...
//
// Prints the files, lines and words it read; the counts keep the splitting
// from being optimised away and let the benchmark check it read everything.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

struct Counts {
  long files = 0;
  long lines = 0;
  long words = 0;
};

char buffer[1 << 16];

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads the open file to its end, counting its lines and words.
void ReadFile(int file, Counts* counts) {
  bool inWord = false;
  bool lineHasText = false;
  ssize_t got;
  while ((got = read(file, buffer, sizeof buffer)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      const char c = buffer[i];
      if (c == '\n') {
        counts->lines += lineHasText;
        inWord = lineHasText = false;
      } else if (IsBlank(c)) {
        inWord = false;
      } else {
        counts->words += !inWord;
        inWord = lineHasText = true;
      }
    }
  }
  counts->lines += lineHasText;
  ++counts->files;
}

// Every file below the open folder, subfolders included.
void ReadFolder(int folder, Counts* counts) {
  DIR* listing = fdopendir(folder);
  if (listing == nullptr) {
    close(folder);
    return;
  }
  while (dirent* entry = readdir(listing)) {
    const char* name = entry->d_name;
    if (name[0] == '.' &&
        (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
      continue;
    const int child = openat(dirfd(listing), name, O_RDONLY | O_CLOEXEC);
    if (child < 0) continue;
    if (entry->d_type == DT_DIR) {
      ReadFolder(child, counts);
      continue;
    }
    ReadFile(child, counts);
    close(child);
  }
  closedir(listing);
}

}  // namespace

int main(int argc, char** argv) {
  Counts counts;
  for (int i = 1; i < argc; ++i) {
    const int folder = open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
      std::fprintf(stderr, "cannot open the folder %s\n", argv[i]);
      return 1;
    }
    ReadFolder(folder, &counts);
  }
  std::printf("%ld files, %ld lines, %ld words\n", counts.files, counts.lines,
              counts.words);
  return 0;
}
