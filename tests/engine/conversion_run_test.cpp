#include "engine/conversion_run.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/engine_error.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

namespace fs = std::filesystem;
using testing::FileExists;
using testing::ReadWholeFile;
using testing::TemporaryFolder;
using testing::WriteWholeFile;

// Records every call the run makes on its observer, in order, as one line each.
class RecordingObserver : public RunObserver {
 public:
  std::vector<std::string> calls;

  void SetStatusCaption(const std::string& caption) override {
    calls.push_back("status " + caption);
  }
  void SetStartEnabled(bool enabled) override {
    calls.push_back(enabled ? "start on" : "start off");
  }
  void SetProgressMaximum(float maximum) override { calls.push_back("max " + Number(maximum)); }
  void SetProgressValue(float value) override { calls.push_back("value " + Number(value)); }
  void SetDialogInitialFolder(const std::string& folder) override {
    calls.push_back("dialog " + folder);
  }
  void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }

 private:
  static std::string Number(float value) { return std::to_string(static_cast<long>(value)); }
};

std::string Repeat(const std::string& field, int times, char separator) {
  std::string text;
  for (int i = 0; i < times; ++i) text += separator + field;
  return text;
}

const std::string kHeader = testing::ChannelCsvHeader();

// A job that notes it ran, keeps a copy of the exchange CSV it was given, and leaves the
// prepared result and spectrum beside itself.
std::string ShellJob(const std::string& name, const std::string& result) {
  return "echo " + name +
         " >> \"$here/ran.log\"\n"
         "cp \"$here/outacc.csv\" \"$here/seen-by-" +
         name +
         ".csv\"\n"
         "cp \"$here/prepared-" +
         result + "\" \"$here/" + result +
         "\"\n"
         "cp \"$here/prepared-amp-" +
         name + ".csv\" \"$here/amp3.csv\"\n";
}

class ConversionRunTest : public ::testing::Test {
 protected:
  ConversionRunTest() {
    fs::create_directory(exchange_.path() / "out");
    inputs_.exchangeFolder = exchange_.path().string();
    inputs_.inputPath = input_.File("site1.csv");
    // Two records whose channels average to c: the corrected values are +0.5 and -0.5.
    std::string record = "header one\r\nheader two\r\n";
    for (int r = 1; r <= 2; ++r) {
      record += "0.0" + std::to_string(r);
      for (int c = 1; c <= 40; ++c) record += "," + std::to_string(r == 1 ? c + 0.5 : c - 0.5);
      record += ",7,8\r\n";
    }
    WriteWholeFile(inputs_.inputPath, record);
    WriteExchange("prepared-velout.csv", "\"time\",vel\r\n0.01" + Repeat("1.25", 40, ',') + "\r\n");
    WriteExchange("prepared-disout.csv", "h\r\n0.01" + Repeat("-2", 40, ',') + "\r\n0.02" +
                                             Repeat("3e-07", 40, ',') + "\r\n0.03" +
                                             Repeat("4", 40, ',') + "\r\n");
    WriteExchange("prepared-amp-vel.csv", "vel spectrum\r\n");
    WriteExchange("prepared-amp-dis.csv", "dis spectrum\r\n");
    InstallJob("fftvel.bat", ShellJob("vel", "velout.csv"));
    InstallJob("fftdis.bat", ShellJob("dis", "disout.csv"));
  }

  void WriteExchange(const std::string& name, const std::string& text) {
    WriteWholeFile(exchange_.File(name), text);
  }
  void InstallJob(const std::string& name, const std::string& body) {
    testing::WriteJob(exchange_.File(name), body);
  }

  // Runs and returns the error message, or "" for a complete run.
  std::string Run() {
    const auto error = testing::CatchEngineError([&] { RunConversion(inputs_, observer_); });
    if (!error) return "";
    step_ = error->step();
    return error->what();
  }

  std::string Stem() const { return input_.File("site1"); }

  TemporaryFolder exchange_;
  TemporaryFolder input_;
  RunInputs inputs_{.inputPath = {},
                    .outputBaseName = "b1",
                    .comment = "site 1",
                    .exchangeFolder = {},
                    .waitForExchangeFolder = false};
  RecordingObserver observer_;
  int step_ = 0;
};

TEST_F(ConversionRunTest, WritesEveryOutputByteForByte) {
  ASSERT_EQ(Run(), "");
  const std::string row1 = "0.01" + Repeat("0.5", 40, '\t') + "\r\n";
  const std::string row2 = "0.02" + Repeat("-0.5", 40, '\t') + "\r\n";
  EXPECT_EQ(ReadWholeFile(exchange_.File("out/b1_accmat.prn")), row1 + row2);
  const std::string csvRows =
      "0.01" + Repeat("0.5", 40, ',') + "\r\n0.02" + Repeat("-0.5", 40, ',') + "\r\n";
  EXPECT_EQ(ReadWholeFile(Stem() + "_acc.csv"), "site 1\r\n" + kHeader + csvRows);
  EXPECT_EQ(ReadWholeFile(exchange_.File("seen-by-vel.csv")), kHeader + csvRows);
  EXPECT_EQ(ReadWholeFile(Stem() + "_vel.csv"),
            ReadWholeFile(exchange_.File("prepared-velout.csv")));
  EXPECT_EQ(ReadWholeFile(Stem() + "_dis.csv"),
            ReadWholeFile(exchange_.File("prepared-disout.csv")));
  EXPECT_EQ(ReadWholeFile(Stem() + "_velAmp.csv"), "vel spectrum\r\n");
  EXPECT_EQ(ReadWholeFile(Stem() + "_disAmp.csv"), "dis spectrum\r\n");
  EXPECT_EQ(ReadWholeFile(exchange_.File("out/b1_velmat.prn")),
            "0.01" + Repeat("1.25", 40, '\t') + "\r\n");
  EXPECT_EQ(ReadWholeFile(exchange_.File("out/b1_dismat.prn")),
            "0.01" + Repeat("-2", 40, '\t') + "\r\n0.02" + Repeat("3e-07", 40, '\t') + "\r\n0.03" +
                Repeat("4", 40, '\t') + "\r\n");
  // The exchange files are gone, the jobs stay.
  for (const char* name : {"outacc.csv", "velout.csv", "disout.csv", "amp3.csv"})
    EXPECT_FALSE(FileExists(exchange_.File(name))) << name;
  EXPECT_TRUE(FileExists(exchange_.File("fftvel.bat")));
  EXPECT_EQ(ReadWholeFile(exchange_.File("ran.log")), "vel\ndis\n");
}

TEST_F(ConversionRunTest, DrivesTheHostInTheFixedOrder) {
  ASSERT_EQ(Run(), "");
  const std::vector<std::string> expected = {"status 読み込み中",
                                             "start off",
                                             "max 2",
                                             "status 書き出し中",
                                             "value 1",
                                             "value 2",
                                             "status 公開データを作成",
                                             "value 1",
                                             "value 2",
                                             "value 1",
                                             "value 2",
                                             "dialog " + inputs_.exchangeFolder,
                                             "max 1",
                                             "status 書き出し中",
                                             "value 1",
                                             "max 3",
                                             "status 書き出し中",
                                             "value 1",
                                             "value 2",
                                             "value 3",
                                             "status 終了",
                                             "message done"};
  EXPECT_EQ(observer_.calls, expected);
}

TEST_F(ConversionRunTest, SecondRunReplacesTheFirstRunsOutputs) {
  ASSERT_EQ(Run(), "");
  WriteExchange("prepared-amp-vel.csv", "second spectrum\r\n");
  inputs_.comment = "second";
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(ReadWholeFile(Stem() + "_velAmp.csv"), "second spectrum\r\n");
  EXPECT_EQ(ReadWholeFile(Stem() + "_acc.csv").substr(0, 8), "second\r\n");
  // Nothing but the outputs and the test's own files: no temporary file is left anywhere.
  for (const auto& entry : fs::recursive_directory_iterator(exchange_.path()))
    EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
}

TEST_F(ConversionRunTest, NamesChannelFilesFromTheInputLessFourCharacters) {
  // A two-letter extension loses one character of the name too; blanks and Japanese
  // characters count as one character each.
  const std::string name = input_.File("地震 記録.cs");
  fs::rename(inputs_.inputPath, name);
  inputs_.inputPath = name;
  ASSERT_EQ(Run(), "");
  EXPECT_TRUE(FileExists(input_.File("地震 記_acc.csv")));
  EXPECT_TRUE(FileExists(input_.File("地震 記_disAmp.csv")));
}

TEST_F(ConversionRunTest, FourCharacterInputPathGivesBareSuffixes) {
  const fs::path saved = fs::current_path();
  fs::current_path(input_.path());
  fs::rename(inputs_.inputPath, input_.File("a.cs"));
  inputs_.inputPath = "a.cs";
  const std::string message = Run();
  fs::current_path(saved);
  ASSERT_EQ(message, "");
  EXPECT_TRUE(FileExists(input_.File("_acc.csv")));
  EXPECT_TRUE(FileExists(input_.File("_vel.csv")));
}

TEST_F(ConversionRunTest, RefusesUnusableInputsBeforeTouchingAnything) {
  auto refused = [&]() {
    const std::string message = Run();
    EXPECT_TRUE(observer_.calls.empty()) << message;
    EXPECT_FALSE(FileExists(exchange_.File("out/b1_accmat.prn")));
    observer_.calls.clear();
    return message;
  };
  inputs_.inputPath = "a.c";
  EXPECT_EQ(refused(),
            "the input path \"a.c\" is shorter than four characters: choose a record file");
  inputs_.inputPath = "";
  EXPECT_EQ(refused(), "the input path \"\" is shorter than four characters: choose a record file");
  inputs_.inputPath = input_.File("site1.csv");
  inputs_.outputBaseName = "";
  EXPECT_EQ(refused(), "the output base name is empty: type the name of the files to save");
  inputs_.outputBaseName = "../b1";
  EXPECT_EQ(refused(),
            "the output base name must not hold a folder separator ('/' or '\\'): \"../b1\"");
  inputs_.outputBaseName = "a\\b";
  EXPECT_NE(refused().find("folder separator"), std::string::npos);
  inputs_.outputBaseName = std::string("b\t1");
  EXPECT_EQ(refused(), "the output base name must not hold control characters");
  inputs_.outputBaseName = "b1";
  inputs_.comment = "two\nlines";
  EXPECT_EQ(refused(), "the comment must be a single line: it holds a line break");
}

TEST_F(ConversionRunTest, RefusesNamesWithNoRoomAndAnOutputThatIsTheInput) {
  const auto refusal = [&] {
    const auto error = testing::CatchEngineError([&] { CheckRunInputs(inputs_); });
    return error && error->refusal() ? std::optional(*error->refusal()) : std::nullopt;
  };
  // The longest matrix name, "<base>_accmat.prn", is what an output's name may hold.
  inputs_.outputBaseName = std::string(kMaxOutputNameBytes - 11, 'b');
  EXPECT_EQ(refusal(), std::nullopt);
  inputs_.outputBaseName += 'b';
  EXPECT_EQ(refusal(), Refusal::kNameTooLong);
  inputs_.outputBaseName = "b1";
  // The longest channel file name, "<stem>_velAmp.csv" (11 bytes), beside the input.
  inputs_.inputPath = input_.File(std::string(kMaxOutputNameBytes - 11, 's') + ".csv");
  EXPECT_EQ(refusal(), std::nullopt);
  inputs_.inputPath = input_.File(std::string(kMaxOutputNameBytes - 10, 's') + ".csv");
  EXPECT_NE(testing::EngineErrorText([&] { CheckRunInputs(inputs_); }).find("shorten the input's"),
            std::string::npos);

  // A record reached through a link from the name whose stem names it: its public CSV would
  // be the record itself.
  const std::string record = ReadWholeFile(input_.File("site1.csv"));
  fs::rename(input_.File("site1.csv"), Stem() + "_acc.csv");
  fs::create_symlink(Stem() + "_acc.csv", input_.File("site1.csv"));
  inputs_.inputPath = input_.File("site1.csv");
  EXPECT_EQ(refusal(), Refusal::kOutputIsInput);
  EXPECT_EQ(Run(), "the output " + Stem() + "_acc.csv is the input " + inputs_.inputPath +
                       " itself, by another path or a link: it would replace it");
  EXPECT_EQ(ReadWholeFile(Stem() + "_acc.csv"), record);
  EXPECT_TRUE(observer_.calls.empty());
}

TEST_F(ConversionRunTest, MissingInputStopsAtStepFour) {
  inputs_.inputPath = input_.File("absent.csv");
  EXPECT_EQ(Run(), "step 4 (reading the acceleration record): " + inputs_.inputPath +
                       ": cannot open the file: No such file or directory");
  EXPECT_EQ(step_, 4);
}

TEST_F(ConversionRunTest, MissingOutFolderStopsAtStepSixLeavingNothing) {
  fs::remove(exchange_.path() / "out");
  EXPECT_EQ(Run(), "step 6 (creating the acceleration matrix): " + inputs_.exchangeFolder +
                       "/out/b1_accmat.prn: cannot create the file: No such file or directory");
  EXPECT_FALSE(FileExists(Stem() + "_acc.csv"));
}

TEST_F(ConversionRunTest, RecordWithoutDataRowsStopsAtStepSeven) {
  WriteWholeFile(inputs_.inputPath, "h\r\nh\r\n");
  EXPECT_EQ(Run(), "step 7 (removing the baseline): " + inputs_.inputPath +
                       ": no data rows: the record holds no records to average");
  EXPECT_FALSE(FileExists(exchange_.File("out/b1_accmat.prn")));
}

TEST_F(ConversionRunTest, BadFieldInAJobResultStopsAtItsReadNamingTheLine) {
  WriteExchange("prepared-disout.csv", "h\r\n0.01" + Repeat("1", 39, ',') + ",x\r\n");
  EXPECT_EQ(Run(), "step 22 (reading the displacement result): " + exchange_.File("disout.csv") +
                       ": line 2, field 41: not a number: \"x\"");
  // The velocity stage is complete; the displacement result is read before it is copied, so
  // no copy of it stands beside the input.
  EXPECT_TRUE(FileExists(exchange_.File("out/b1_velmat.prn")));
  EXPECT_TRUE(FileExists(Stem() + "_vel.csv"));
  EXPECT_FALSE(FileExists(exchange_.File("out/b1_dismat.prn")));
  EXPECT_FALSE(FileExists(Stem() + "_dis.csv"));
  EXPECT_FALSE(FileExists(Stem() + "_disAmp.csv"));
}

TEST_F(ConversionRunTest, FailingJobStopsAtItsStepWithExitCodeAndErrorOutput) {
  InstallJob("fftvel.bat", "echo 'cannot integrate: record too short' >&2\nexit 3");
  const std::string message = Run();
  EXPECT_EQ(step_, 14);
  EXPECT_NE(message.find(exchange_.File("fftvel.bat")), std::string::npos) << message;
  EXPECT_NE(message.find("exit code 3"), std::string::npos) << message;
  EXPECT_NE(message.find("cannot integrate: record too short"), std::string::npos) << message;
  // The message holds what a look at the job's input would give: it goes with the run.
  EXPECT_FALSE(FileExists(exchange_.File("outacc.csv")));
}

TEST_F(ConversionRunTest, StaleResultOfAnEarlierRunIsNotTakenForTheNewOne) {
  WriteExchange("velout.csv", "h\r\n0.01" + Repeat("9", 40, ',') + "\r\n");
  InstallJob("fftvel.bat", "exit 0");
  const std::string message = Run();
  EXPECT_EQ(step_, 14);
  EXPECT_NE(message.find("velout.csv"), std::string::npos) << message;
  EXPECT_FALSE(FileExists(Stem() + "_vel.csv"));
}

TEST_F(ConversionRunTest, ExchangeFileAlreadyGoneIsNoFailure) {
  // The displacement job cleans up the exchange CSV itself.
  InstallJob("fftdis.bat", ShellJob("dis", "disout.csv") + "rm \"$here/outacc.csv\"\n");
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(observer_.calls.back(), "message done");
}

TEST_F(ConversionRunTest, ReadOnlyDestinationKeepsTheEarlierFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files anyway";
  WriteWholeFile(Stem() + "_acc.csv", "earlier");
  ::chmod((Stem() + "_acc.csv").c_str(), 0444);
  const std::string message = Run();
  EXPECT_EQ(step_, 11);
  EXPECT_EQ(ReadWholeFile(Stem() + "_acc.csv"), "earlier");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningTest) {
  EXPECT_EQ(ProgramFolder(), ACCPREP_PROGRAM_FOLDER);
}

}  // namespace
}  // namespace accprep
