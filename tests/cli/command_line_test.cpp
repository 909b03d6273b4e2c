// The one way the tool's programs answer their command line: the two message forms and the
// failures of the work (program_answers_test.cpp runs the built programs).

#include "cli/command_line.hpp"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

namespace accprep {
namespace {

TEST(ProgramVoice, UsageMistakesAndFailuresInEachForm) {
  const ProgramVoice lines{"accprep-cli"};
  std::ostringstream err;
  EXPECT_EQ(lines.UsageMistake("--name is required", "Usage: accprep-cli ...\n", err), kExitUsage);
  EXPECT_EQ(err.str(), "error: --name is required\nUsage: accprep-cli ...\n");
  err.str("");
  EXPECT_EQ(lines.Failure("step 4 (reading): a.csv: no\nsecond line", err), kExitFailure);
  EXPECT_EQ(err.str(), "error: step 4 (reading): a.csv: no\nsecond line\n");

  // The job's form: one line each, whatever the message holds, and no usage text.
  const ProgramVoice job{"accprep-integrate", MessageForm::kNamedLine};
  err.str("");
  EXPECT_EQ(job.UsageMistake("unknown option --x", "usage: ...\n", err), kExitUsage);
  EXPECT_EQ(err.str(), "accprep-integrate: unknown option --x (see --help)\n");
  err.str("");
  EXPECT_EQ(job.Failure("a.csv: line 3\r\nnot a number", err), kExitFailure);
  EXPECT_EQ(err.str(), "accprep-integrate: a.csv: line 3  not a number\n");
}

TEST(ProgramVoice, RunTurnsWhatTheWorkThrowsIntoAFailure) {
  const ProgramVoice voice{"accprep-knet"};
  std::ostringstream err;
  EXPECT_EQ(voice.Run([] { return 7; }, err), 7);
  EXPECT_EQ(voice.Run([]() -> int { throw std::runtime_error("k.EW: line 3: bad"); }, err),
            kExitFailure);
  EXPECT_EQ(voice.Run([]() -> int { throw std::bad_alloc(); }, err), kExitFailure);
  EXPECT_EQ(err.str(), "error: k.EW: line 3: bad\nerror: not enough memory for this record\n");
}

}  // namespace
}  // namespace accprep
