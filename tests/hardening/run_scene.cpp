#include "run_scene.hpp"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/engine_error.hpp"

namespace accprep::testing {
namespace fs = std::filesystem;

namespace {

const char* const kOutputNames[] = {"out/b1_accmat.prn", "out/b1_velmat.prn", "out/b1_dismat.prn",
                                    "site1_acc.csv",     "site1_vel.csv",     "site1_dis.csv",
                                    "site1_velAmp.csv",  "site1_disAmp.csv"};

}  // namespace

std::string MakeAccelerationRecord(int records) {
  std::string text = "site 1, fault injection record\r\ntime,1ch..40ch,a,b\r\n";
  char field[40];
  for (int r = 1; r <= records; ++r) {
    std::snprintf(field, sizeof field, "%.2f", 0.01 * r);
    text += field;
    for (int c = 1; c <= 40; ++c) {
      // An offset per channel for the baseline to remove, and a wave with six decimals for
      // the rounding.
      std::snprintf(field, sizeof field, ",%.6f", 0.02 * c + 0.5 * std::sin(0.07 * r + c));
      text += field;
    }
    text += ",7,8\r\n";
  }
  return text;
}

RunScene::RunScene() {
  records_ = root_.File("records");
  program_ = root_.File("program");
  fs::create_directory(records_);
  fs::create_directory(program_);
  inputs.inputPath = Input();
  inputs.exchangeFolder = program_;
}

std::vector<std::string> RunScene::Outputs() const {
  std::vector<std::string> paths;
  for (const char* name : kOutputNames) {
    const std::string key = name;
    paths.push_back(key.rfind("out/", 0) == 0 ? InProgram(key) : InRecords(key));
  }
  return paths;
}

bool RunScene::Prepare(const std::string& record) {
  if (!InstallShippedJobs(program_)) return false;
  fs::create_directories(InProgram("out"));
  WriteWholeFile(Input(), record);
  for (const std::string& output : Outputs())
    WriteWholeFile(output, "earlier " + fs::path(output).filename().string() + "\r\n");
  return true;
}

void RunScene::WrapShippedJob(const std::string& job, const std::string& before,
                              const std::string& after) {
  std::string text = ReadWholeFile((fs::path(ACCPREP_PROGRAM_FOLDER) / job).string());
  const std::size_t firstLineEnd = text.find('\n') + 1;
  text.insert(firstLineEnd, before + "\n");
  if (!after.empty()) {
    // The shipped job ends by handing its process to the integrator; keep the shell
    // instead, so that `after` runs.
    const std::size_t exec = text.find("exec \"$here/accprep-integrate\"");
    if (exec != std::string::npos) text.erase(exec, 5);
    text += "status=$?\n[ \"$status\" -eq 0 ] || exit \"$status\"\n" + after + "\n";
  }
  WriteExecutable(InProgram(job), text);
}

void RunScene::WriteJob(const std::string& job, const std::string& body) {
  testing::WriteJob(InProgram(job), body);
}

FileSnapshot RunScene::Snapshot() const {
  FileSnapshot files;
  for (const std::string& folder : {records_, program_}) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (!fs::is_regular_file(entry.symlink_status())) continue;
      files[entry.path().string()] = ReadWholeFile(entry.path().string());
    }
  }
  return files;
}

RunOutcome RunScene::Run() {
  RunOutcome outcome;
  observer.captions.clear();
  observer.messages.clear();
  const auto error = CatchEngineError([&] { RunConversion(inputs, observer); });
  outcome.completed = !error;
  if (error) {
    outcome.step = error->step();
    outcome.file = error->file();
    outcome.reason = error->reason();
    outcome.message = error->what();
  }
  outcome.captions = observer.captions;
  outcome.messages = observer.messages;
  return outcome;
}

std::string OutputKey(const std::string& path) {
  const fs::path p(path);
  if (p.parent_path().filename() == "out") return "out/" + p.filename().string();
  return p.filename().string();
}

const std::map<std::string, std::string>& ReferenceOutputs() {
  static const std::map<std::string, std::string> outputs = [] {
    std::map<std::string, std::string> made;
    RunScene scene;
    if (!scene.Prepare()) throw std::runtime_error("the shipped jobs are not built");
    const RunOutcome outcome = scene.Run();
    if (!outcome.completed) throw std::runtime_error("reference run failed: " + outcome.message);
    for (const std::string& path : scene.Outputs()) made[OutputKey(path)] = ReadWholeFile(path);
    return made;
  }();
  return outputs;
}

std::uint64_t ContentHash(const std::string& content) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const unsigned char byte : content) hash = (hash ^ byte) * 1099511628211ULL;
  return hash;
}

void ExpectNothingLost(const RunScene& scene, const FileSnapshot& before,
                       const std::map<std::string, std::string>& replaced) {
  for (const auto& [path, content] : before) {
    ASSERT_TRUE(fs::exists(path)) << path << " was there before the run and is gone";
    const std::string now = ReadWholeFile(path);
    const auto replacement = replaced.find(path);
    if (replacement == replaced.end()) {
      EXPECT_TRUE(now == content) << path << " changed: " << now.size() << " bytes, "
                                  << content.size() << " before";
    } else {
      EXPECT_TRUE(now == replacement->second)
          << path << " is not the complete new version: " << now.size() << " bytes, "
          << replacement->second.size() << " expected";
    }
  }
  for (const std::string& folder : {scene.records(), scene.program()}) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos)
          << "temporary file left behind: " << entry.path();
    }
  }
  const auto input = before.find(scene.Input());
  if (input != before.end() && fs::exists(scene.Input())) {
    EXPECT_EQ(ContentHash(ReadWholeFile(scene.Input())), ContentHash(input->second))
        << "the input record changed";
  }
}

}  // namespace accprep::testing
