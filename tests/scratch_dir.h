// A scratch folder for tests that need real files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quenwick {

/// A test fixture whose scratch folder is made before each test and removed after it.
class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "quenwick_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  /// The path of `name` in the scratch folder.
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  /// Writes `bytes` to `name` in the scratch folder and returns its path.
  std::string writeFile(const std::string& name, const std::string& bytes) {
    std::string file = path(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  /// The whole content of the file at `file`.
  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;  // the scratch folder
};

}  // namespace quenwick
