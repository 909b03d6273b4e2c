#include "program_folder.hpp"

#include <filesystem>

namespace accprep::testing {
namespace fs = std::filesystem;

namespace {

constexpr char kJobPrologue[] =
    "# A test job: records that it ran and what it found, then does what the test asks.\n"
    "set -e\n"
    "job=$(basename \"$0\")\n"
    "echo \"$job args=$#\" >> \"$here/jobs.log\"\n"
    "for f in amp3.csv velout.csv disout.csv; do\n"
    "  if [ -e \"$here/$f\" ]; then echo \"$f present\" >> \"$here/jobs.log\"; fi\n"
    "done\n";

}  // namespace

TestProgramFolder::TestProgramFolder() : path_(folder_.path().string()) {
  fs::copy_file(ACCPREP_CLI_PATH, Path("accprep-cli"));
  for (const char* folder : {"out", "records", "seen", "prepared"})
    fs::create_directory(Path(folder));
}

std::string TestProgramFolder::Path(const std::string& relative) const {
  if (!relative.empty() && relative.front() == '/') return relative;
  return path_ + "/" + relative;
}

void TestProgramFolder::Write(const std::string& relative, const std::string& content) const {
  WriteWholeFile(Path(relative), content);
}

std::string TestProgramFolder::Read(const std::string& relative) const {
  return ReadWholeFile(Path(relative));
}

bool TestProgramFolder::Exists(const std::string& relative) const {
  return fs::exists(fs::symlink_status(Path(relative)));
}

void TestProgramFolder::Remove(const std::string& relative) const { fs::remove(Path(relative)); }

void TestProgramFolder::WriteJob(const std::string& name, const std::string& body) const {
  testing::WriteJob(Path(name), kJobPrologue + body);
}

std::string TestProgramFolder::SpectrumOf(const std::string& job) {
  return "frequency,amplitude\r\n0.5,1.25\r\nspectrum of " + job + "\r\n";
}

void TestProgramFolder::InstallTestJobs(const std::string& velocityResult,
                                        const std::string& displacementResult) const {
  const struct {
    const char* job;
    const char* result;
    const std::string& content;
  } jobs[] = {{"fftvel.bat", "velout.csv", velocityResult},
              {"fftdis.bat", "disout.csv", displacementResult}};
  for (const auto& job : jobs) {
    Write(std::string("prepared/") + job.result, job.content);
    Write(std::string("prepared/") + job.job + "-amp3.csv", SpectrumOf(job.job));
    WriteJob(job.job, std::string("cp \"$here/outacc.csv\" \"$here/seen/$job.csv\"\n") +
                          "cp \"$here/prepared/" + job.result + "\" \"$here/" + job.result +
                          "\"\n" + "cp \"$here/prepared/$job-amp3.csv\" \"$here/amp3.csv\"\n");
  }
}

bool TestProgramFolder::InstallShippedJobs() const { return testing::InstallShippedJobs(path_); }

namespace {

ProcessRequest CliRequest(const TestProgramFolder& folder, const std::vector<std::string>& args,
                          const std::string& workingFolder, bool errorOnTerminal) {
  ProcessRequest request;
  request.argv.push_back(folder.Path("accprep-cli"));
  request.argv.insert(request.argv.end(), args.begin(), args.end());
  request.workingFolder = workingFolder.empty() ? folder.path() : workingFolder;
  request.environment = {"LC_ALL=C.UTF-8"};
  request.errorOnTerminal = errorOnTerminal;
  return request;
}

}  // namespace

ProcessResult TestProgramFolder::RunCli(const std::vector<std::string>& args,
                                        const std::string& workingFolder,
                                        bool errorOnTerminal) const {
  return RunProcess(CliRequest(*this, args, workingFolder, errorOnTerminal));
}

std::unique_ptr<StartedProcess> TestProgramFolder::StartCli(
    const std::vector<std::string>& args) const {
  return std::make_unique<StartedProcess>(CliRequest(*this, args, {}, false));
}

}  // namespace accprep::testing
