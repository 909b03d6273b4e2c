#pragma once
// A throw-away program folder for end-to-end runs: a copy of the built accprep-cli, an out/
// folder and test jobs, so that the run's exchange files never touch build/bin/ and tests
// can run side by side.

#include <memory>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "test_kit.hpp"

namespace accprep::testing {

class TestProgramFolder {
 public:
  // A fresh folder under the system's temporary folder with accprep-cli, out/, records/
  // (for inputs) and seen/ (where test jobs keep what they saw). No jobs yet.
  TestProgramFolder();

  const std::string& path() const { return path_; }
  // `relative` joined to the folder; an absolute path is taken as it is.
  std::string Path(const std::string& relative) const;

  void Write(const std::string& relative, const std::string& content) const;
  // The whole file; throws std::runtime_error when it cannot be read.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  void Remove(const std::string& relative) const;

  // Writes an executable POSIX shell job `name` (fftvel.bat or fftdis.bat) with `body` after
  // a prologue that sets `here` to the job's folder and appends "<name> args=<count>" to
  // jobs.log, followed by "amp3.csv present" / "<result> present" for exchange files found.
  void WriteJob(const std::string& name, const std::string& body) const;

  // Both jobs as a well-behaved integration job does it: each keeps a copy of outacc.csv in
  // seen/<job>.csv, then leaves the given result (velout.csv / disout.csv) and a spectrum
  // amp3.csv whose text names the job ("spectrum of fftvel.bat ...").
  void InstallTestJobs(const std::string& velocityResult,
                       const std::string& displacementResult) const;
  static std::string SpectrumOf(const std::string& job);

  // The shipped jobs (fftvel.bat, fftdis.bat, accprep-integrate) from build/bin/, as
  // testing::InstallShippedJobs puts them; false when they are not built.
  bool InstallShippedJobs() const;

  // Runs the copy of accprep-cli with `args`, in `workingFolder` (default: this folder),
  // under LC_ALL=C.UTF-8 so the matrix files use a point.
  ProcessResult RunCli(const std::vector<std::string>& args, const std::string& workingFolder = {},
                       bool errorOnTerminal = false) const;
  // The same run, started and left to the test to wait for.
  std::unique_ptr<StartedProcess> StartCli(const std::vector<std::string>& args) const;

 private:
  TemporaryFolder folder_;
  std::string path_;
};

}  // namespace accprep::testing
