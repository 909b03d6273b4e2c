// accprep-knet as a user runs it: the 27 shared files assembled, converted by accprep-cli with
// the shipped jobs and looked at by accprep-view; its default name, the standard output, and
// what bad input and usage mistakes are told.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "knet_samples.hpp"
#include "program_folder.hpp"
#include "test_kit.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

ProcessResult RunKnet(const std::vector<std::string>& args) {
  ProcessRequest request;
  request.argv.push_back(ACCPREP_KNET_PATH);
  request.argv.insert(request.argv.end(), args.begin(), args.end());
  return RunProcess(request);
}

std::vector<std::string> WithFiles(std::vector<std::string> args,
                                   const std::vector<std::string>& files) {
  args.insert(args.end(), files.begin(), files.end());
  return args;
}

TEST(KnetProgram, AssemblesTheSharedFilesIntoARecordThatConvertsAndViews) {
  TestProgramFolder folder;
  const std::string record = folder.Path("records/aomori.csv");
  const ProcessResult knet = RunKnet(WithFiles({"--output", record}, SharedKnetFiles()));
  ASSERT_EQ(knet.exitCode, 0) << knet.err;
  EXPECT_EQ(knet.out, "");
  const std::vector<std::string> report = Lines(knet.err);
  ASSERT_EQ(report.size(), 28u) << knet.err;
  EXPECT_EQ(report[0], record + ": 13900 records of 27 traces at 100 Hz");
  EXPECT_EQ(report[1], "  1 AOM001 EW: 10200 samples, peak 4.078 gal, Max. Acc. 4.078 gal");
  const std::regex traceLine(
      R"( *\d+ AOM00\d (EW|NS|UD): \d+ samples, peak (\S+) gal, Max\. Acc\. (\S+) gal)");
  for (std::size_t line = 1; line < report.size(); ++line) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(report[line], match, traceLine)) << report[line];
    EXPECT_EQ(match[2], match[3]) << report[line];
  }

  ASSERT_TRUE(folder.InstallShippedJobs());
  const ProcessResult cli = folder.RunCli({"--name", "aomori", "records/aomori.csv"});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  EXPECT_EQ(cli.out, "done\n");
  // AOM001 starts 8 s after AOM009: its first 800 rows stood at its mean and are now zero.
  const std::vector<std::string> converted = Lines(folder.Read("records/aomori_acc.csv"));
  ASSERT_EQ(converted.size(), 2u + 13900u);
  EXPECT_EQ(converted[2].substr(0, 4), "0,0,");
  EXPECT_EQ(converted[2 + 799].substr(0, 7), "7.99,0,");
  EXPECT_EQ(converted[2 + 800].substr(0, 2), "8,");
  EXPECT_NE(converted[2 + 800].substr(0, 4), "8,0,");

#ifdef ACCPREP_VIEW_PATH
  ProcessRequest view;
  view.argv = {ACCPREP_VIEW_PATH, "--peaks", folder.Path("peaks.csv"), record};
  view.environment = {"QT_QPA_PLATFORM=offscreen"};
  const ProcessResult viewed = RunProcess(view);
  ASSERT_EQ(viewed.exitCode, 0) << viewed.err;
  const std::vector<std::string> peaks = Lines(folder.Read("peaks.csv"));
  ASSERT_EQ(peaks.size(), 41u);
  // The acceleration peak of channel 1 after the conversion is the file's Max. Acc.
  EXPECT_EQ(peaks[1].substr(0, 9), "1,4.0781,");
#endif
}

TEST(KnetProgram, WritesBesideTheFirstFileByDefaultOrToTheStandardOutput) {
  TemporaryFolder folder;
  std::vector<std::string> files;
  for (const char* component : {"EW", "NS", "UD"}) {
    const std::string name = std::string("AOM0011801241951.") + component;
    files.push_back(folder.File(name));
    fs::copy_file(SharedKnetFile(name), files.back());
  }
  const ProcessResult toFile = RunKnet(files);
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
  const std::string defaultPath = folder.File("AOM001_20180124195143.csv");
  EXPECT_EQ(Lines(toFile.err).front(), defaultPath + ": 10200 records of 3 traces at 100 Hz");

  const ProcessResult toOutput = RunKnet(WithFiles({"--output", "-"}, files));
  ASSERT_EQ(toOutput.exitCode, 0) << toOutput.err;
  EXPECT_EQ(Lines(toOutput.err).front(), "standard output: 10200 records of 3 traces at 100 Hz");
  EXPECT_EQ(toOutput.out, ReadWholeFile(defaultPath));
  EXPECT_EQ(toOutput.out.substr(toOutput.out.size() - 6), ",0,0\r\n");
}

TEST(KnetProgram, TellsBadInputAndUsageMistakesApart) {
  TemporaryFolder folder;
  const std::string text = ReadWholeFile(SharedKnetFile("AOM0011801241951.EW"));
  const std::string broken = folder.File("broken.EW");
  WriteWholeFile(broken, WithHeaderValue(text, 14, "3920(gal)6182761"));
  const ProcessResult bad = RunKnet({"--output", folder.File("r.csv"), broken});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "error: " + broken +
                         ": line 14: scale factor is not NUM(gal)/DEN with positive NUM and DEN: "
                         "\"3920(gal)6182761\"\n");
  EXPECT_FALSE(FileExists(folder.File("r.csv")));

  // A scale factor that reads but is wrong: written, and the trace's line says so.
  const std::string wrong = folder.File("wrong.EW");
  WriteWholeFile(wrong, WithHeaderValue(text, 14, "7845(gal)/8223790"));
  const ProcessResult differs = RunKnet({"--output", folder.File("w.csv"), wrong});
  EXPECT_EQ(differs.exitCode, 0) << differs.err;
  EXPECT_EQ(Lines(differs.err).back(),
            "  1 AOM001 EW: 10200 samples, peak 6.136 gal, Max. Acc. 4.078 gal (differs)");

  std::vector<std::string> many;
  for (int file = 1; file <= 41; ++file) many.push_back(folder.File(std::to_string(file) + ".EW"));
  const ProcessResult tooMany = RunKnet(many);
  EXPECT_EQ(tooMany.exitCode, 1);
  EXPECT_EQ(tooMany.err,
            "error: " + many.back() + ": more than 40 files: a record holds 40 channels\n");

  const ProcessResult replaces = RunKnet({"--output", wrong, wrong});
  EXPECT_EQ(replaces.exitCode, 1);
  EXPECT_EQ(replaces.err,
            "error: " + wrong + ": the output would replace the input file " + wrong + "\n");

  for (const std::vector<std::string>& mistake :
       {std::vector<std::string>{}, {"--speed", broken}, {"--output", "", broken}}) {
    const ProcessResult usage = RunKnet(mistake);
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err.substr(0, 7), "error: ");
    EXPECT_NE(usage.err.find("accprep-knet [OPTIONS] FILE..."), std::string::npos) << usage.err;
  }
  const ProcessResult help = RunKnet({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--output"), std::string::npos);
}

// A record large enough that writing it takes a while: `traces` synthetic files of `samples`.
std::vector<std::string> LargeTraces(const TemporaryFolder& folder, int traces, int samples) {
  std::vector<int> counts(static_cast<std::size_t>(samples));
  for (int i = 0; i < samples; ++i)
    counts[static_cast<std::size_t>(i)] = (i * 7919) % 20001 - 10000;
  const std::string text = SyntheticKnetText("2018/01/24 19:51:43", 100, counts);
  std::vector<std::string> files;
  for (int trace = 1; trace <= traces; ++trace) {
    files.push_back(folder.File("t" + std::to_string(trace) + ".EW"));
    WriteWholeFile(files.back(), text);
  }
  return files;
}

TEST(KnetProgram, SigtermDuringTheWriteKeepsTheEarlierRecordAndLeavesNoTemporary) {
  TemporaryFolder folder;
  const std::vector<std::string> files = LargeTraces(folder, 40, 100000);
  const std::string record = folder.File("r.csv");
  WriteWholeFile(record, "earlier record\r\n");
  ProcessRequest request;
  request.argv = WithFiles({ACCPREP_KNET_PATH, "--output", record}, files);
  StartedProcess knet(request);
  const auto temporary = [&] {
    for (const auto& entry : fs::directory_iterator(folder.path()))
      if (entry.path().filename().string().starts_with(".r.csv.part-")) return true;
    return false;
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!temporary() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  knet.Signal(SIGTERM);
  const ProcessResult result = knet.Wait();
  EXPECT_EQ(result.exitCode, 128 + SIGTERM) << result.err;
  EXPECT_EQ(result.err, "error: interrupted by SIGTERM\n");
  EXPECT_EQ(ReadWholeFile(record), "earlier record\r\n");
  EXPECT_FALSE(temporary());
}

TEST(KnetProgram, AClosedStandardOutputIsAnError) {
  ProcessRequest request;
  // head takes ten bytes and goes; the record is far longer.
  request.argv = WithFiles({"/bin/bash", "-c",
                            "\"$0\" --output - \"$@\" | head -c 10 >/dev/null; "
                            "exit \"${PIPESTATUS[0]}\"",
                            ACCPREP_KNET_PATH},
                           SharedKnetFiles());
  const ProcessResult result = RunProcess(request);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "error: standard output: cannot write the file: Broken pipe\n");
}

}  // namespace
}  // namespace accprep::testing
