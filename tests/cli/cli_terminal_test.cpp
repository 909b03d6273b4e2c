// accprep-cli in an interactive terminal: a progress bar under the captions, erased before
// each caption line and before the run ends, so the terminal is left with the captions only.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"
#include "test_records.hpp"

namespace accprep::testing {
namespace {

// What a terminal shows once every "\r" has returned to the line start and every erase
// sequence has cleared the rest of the line.
std::string Screen(const std::string& written) {
  std::vector<std::string> lines(1);
  std::size_t column = 0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    std::string& line = lines.back();
    if (written.compare(i, 3, "\x1b[K") == 0) {
      line.resize(column);
      i += 2;
    } else if (written[i] == '\r') {
      column = 0;
    } else if (written[i] == '\n') {
      lines.emplace_back();
      column = 0;
    } else {
      if (column < line.size())
        line[column] = written[i];
      else
        line.push_back(written[i]);
      ++column;
    }
  }
  std::string screen;
  for (const std::string& line : lines) screen += line + "\n";
  return screen;
}

TEST(CliTerminal, BarIsDrawnDuringTheWritesAndErasedBeforeEveryCaption) {
  TestProgramFolder folder;
  folder.InstallTestJobs(MakeJobResult(3).result, MakeJobResult(5).result);
  folder.Write("records/site1.csv", MakeAccelerationCase().record);
  const ProcessResult run = folder.RunCli({"--name", "b1", "records/site1.csv"}, {}, true);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "done\n");

  // Each file's last row is shown: the acceleration matrix and both CSVs of 7 rows, the
  // velocity matrix of 3 rows and the displacement matrix of 5.
  for (const char* full : {"] 100%  7/7", "] 100%  3/3", "] 100%  5/5"}) {
    EXPECT_NE(run.err.find(full), std::string::npos) << full;
  }
  // Every caption after the first stands on a line the bar was erased from.
  for (const char* caption : {"公開データを作成\n", "終了\n"}) {
    EXPECT_NE(run.err.find(std::string("\x1b[K") + caption), std::string::npos) << caption;
  }
  EXPECT_EQ(Screen(run.err),
            "読み込み中\n書き出し中\n公開データを作成\n書き出し中\n書き出し中\n終了\n\n");
}

TEST(CliTerminal, FailureErasesTheBarBeforeTheErrorLine) {
  TestProgramFolder folder;
  folder.InstallTestJobs(MakeJobResult(3).result, MakeJobResult(5).result);
  folder.Write("records/site1.csv", MakeAccelerationCase().record);
  folder.Remove("fftvel.bat");  // fails after the two CSVs have drawn their bars
  const ProcessResult run = folder.RunCli({"--name", "b1", "records/site1.csv"}, {}, true);
  EXPECT_EQ(run.exitCode, 1);
  const std::string screen = Screen(run.err);
  EXPECT_EQ(screen.rfind("読み込み中\n書き出し中\n公開データを作成\nerror: step 14", 0), 0u)
      << screen;
}

}  // namespace
}  // namespace accprep::testing
