#include "tests/temp_disc.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/platform.h"

namespace pomvarin::check::test {

namespace {

int disc_count = 0;

}  // namespace

TempDisc::TempDisc() : previous_(std::filesystem::current_path()) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // A folder an earlier run left (Windows removes no path past its limit)
  // is passed over, so that every disc starts empty; it is not removed
  // here: under Wine, removing a folder that holds such a path can list
  // the current directory in its place and never end.
  std::error_code error;
  do {
    path_ = std::filesystem::temp_directory_path() /
            ("pomvarin-check-" + std::string(info ? info->name() : "test") +
             "-" + std::to_string(++disc_count));
  } while (std::filesystem::symlink_status(path_, error).type() !=
           std::filesystem::file_type::not_found);
  std::filesystem::create_directories(path_);
  std::filesystem::current_path(path_);
  Text directory;
  EXPECT_TRUE(platform::ReadCurrentDirectory(directory));
  directory_ = directory;
}

TempDisc::~TempDisc() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDisc::Write(const std::string& relative, const std::string& contents) {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
}

void TempDisc::MakeFolder(const std::string& relative) {
  std::filesystem::create_directories(path_ / relative);
}

}  // namespace pomvarin::check::test
