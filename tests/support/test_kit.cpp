#include "test_kit.hpp"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace accprep::testing {
namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder(const std::string& subfolder) {
  std::string pattern = (fs::temp_directory_path() / "accprep-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  path_ = subfolder.empty() ? root_ : root_ / subfolder;
  fs::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void WriteExecutable(const std::string& path, const std::string& content) {
  WriteWholeFile(path, content);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
}

std::string JobScript(const std::string& body) {
  std::string script = "#!/bin/sh\nhere=$(dirname \"$0\")\n" + body;
  if (script.back() != '\n') script += '\n';
  return script;
}

void WriteJob(const std::string& path, const std::string& body) {
  WriteExecutable(path, JobScript(body));
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  savedLimit_ = limit.rlim_cur;
  // The signal would end the process; ignored, the write fails with EFBIG instead.
  savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = savedLimit_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, savedHandler_);
}

std::string ChannelCsvHeader(const std::string& firstName) {
  std::string header = "\"" + firstName + "\"";
  for (int channel = 1; channel <= 40; ++channel)
    header += ",\"" + std::to_string(channel) + "ch\"";
  return header + "\r\n";
}

bool InstallShippedJobs(const std::string& folder) {
  const fs::path built = ACCPREP_PROGRAM_FOLDER;
  for (const char* name : {"fftvel.bat", "fftdis.bat", "accprep-integrate"})
    if (!fs::exists(built / name)) return false;
  for (const char* job : {"fftvel.bat", "fftdis.bat"})
    fs::copy_file(built / job, fs::path(folder) / job, fs::copy_options::overwrite_existing);
  // A link, not a copy: a test that fills a small disk for the exchange folder must have
  // room for the exchange files, not for the integrator.
  const fs::path integrator = fs::path(folder) / "accprep-integrate";
  fs::remove(integrator);
  fs::create_symlink(built / "accprep-integrate", integrator);
  return true;
}

}  // namespace accprep::testing
