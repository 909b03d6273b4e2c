#pragma once
// Helpers the job tests share: a temporary folder that cleans up after itself, whole-file
// reads and writes, and a folder laid out like the program folder (the shipped job files and
// accprep-integrate side by side).

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace accprep::testing {

class TempFolder {
 public:
  // `leaf`, when given, is a folder created inside the temporary one (to test blanks).
  explicit TempFolder(const std::string& leaf = {}) {
    std::string pattern = (std::filesystem::temp_directory_path() / "accprep-jobs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    path_ = leaf.empty() ? root_ : root_ + "/" + leaf;
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string root_;
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& text, unsigned mode = 0644) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
  }
  ::chmod(path.c_str(), mode);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Copies the built fftvel.bat and fftdis.bat into `folder` and links accprep-integrate beside
// them, so a test's exchange files never meet another test's.
inline void InstallShippedJobs(const std::string& folder) {
  namespace fs = std::filesystem;
  const fs::path program(ACCPREP_PROGRAM_FOLDER);
  for (const char* job : {"fftvel.bat", "fftdis.bat"})
    fs::copy_file(program / job, fs::path(folder) / job, fs::copy_options::overwrite_existing);
  fs::create_symlink(program / "accprep-integrate", fs::path(folder) / "accprep-integrate");
}

}  // namespace accprep::testing
