#pragma once
// A whole conversion run set up for fault injection: a records/ folder holding the input
// record and earlier versions of every output the run writes beside it, a program/ folder (the
// exchange folder) with out/, the shipped job files and accprep-integrate, and a host that
// records what the user is shown. A test breaks one thing, runs, and checks the three promises
// of a failed run: the user is told the step, the file and the reason; every file that was
// there before is byte-identical or replaced by a complete new version; no temporary file is
// left behind. The input record is never changed.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/conversion_run.hpp"
#include "scoped_mount.hpp"
#include "test_kit.hpp"

namespace accprep::testing {

// Path -> content of every regular file under the scene's folders.
using FileSnapshot = std::map<std::string, std::string>;

struct RunOutcome {
  bool completed = false;
  int step = 0;
  std::string file;     // the file the error names
  std::string reason;   // the error's reason
  std::string message;  // what() of the error: what the window and the command line show
  std::vector<std::string> captions;  // status captions in order
  std::vector<std::string> messages;  // closing messages
};

class SceneObserver : public RunObserver {
 public:
  std::vector<std::string> captions, messages;

  void SetStatusCaption(const std::string& caption) override { captions.push_back(caption); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

// The acceleration record of every scene: two header lines, `records` records of time, 40
// channels with offsets and a few decimals, and two trailing values.
std::string MakeAccelerationRecord(int records);
inline constexpr int kSceneRecords = 300;

class RunScene {
 public:
  // Creates the folders only; mount what a test needs on records() or program(), then call
  // Prepare().
  RunScene();

  const std::string& records() const { return records_; }
  const std::string& program() const { return program_; }
  std::string Input() const { return records_ + "/site1.csv"; }
  std::string InRecords(const std::string& name) const { return records_ + "/" + name; }
  std::string InProgram(const std::string& name) const { return program_ + "/" + name; }
  // The eight files a complete run writes (three matrices, five channel files).
  std::vector<std::string> Outputs() const;

  // Writes the input record, the jobs and out/, and an earlier version of every output.
  // Returns false (with the reason) when the shipped jobs are not built.
  bool Prepare(const std::string& record = MakeAccelerationRecord(kSceneRecords));

  // Replaces a job by the shipped one with shell lines before it and after it (run only when
  // the integration succeeded). Without lines after it, the integrator is the job's process
  // itself, as in the shipped job.
  void WrapShippedJob(const std::string& job, const std::string& before, const std::string& after);
  void WriteJob(const std::string& job, const std::string& body);

  FileSnapshot Snapshot() const;
  RunOutcome Run();

  RunInputs inputs{.outputBaseName = "b1", .comment = "fault injection"};
  SceneObserver observer;

 private:
  TemporaryFolder root_;
  std::string records_;
  std::string program_;
};

// Path -> content of the outputs of a complete, undisturbed run of the standard scene, keyed by
// the name relative to its folder ("out/b1_accmat.prn", "site1_acc.csv"); made once.
const std::map<std::string, std::string>& ReferenceOutputs();
// The key of `path` in ReferenceOutputs().
std::string OutputKey(const std::string& path);

// Checks the promises of a run against the snapshot taken before it: every earlier file is
// byte-identical, except those in `replaced`, which must hold exactly the given content; no
// temporary file (".part-") exists anywhere in the scene; the input's hash is unchanged.
void ExpectNothingLost(const RunScene& scene, const FileSnapshot& before,
                       const std::map<std::string, std::string>& replaced);

std::uint64_t ContentHash(const std::string& content);

}  // namespace accprep::testing
