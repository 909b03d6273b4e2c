// Every built program of the tool answers --help, --version and a usage mistake alike (exit
// codes 0, 0, 2), as command_line.hpp has them say it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "child_process.hpp"

namespace accprep::testing {
namespace {

struct Program {
  const char* name;
  const char* mistakePrefix;  // how its usage mistake begins
};

constexpr Program kPrograms[] = {
    {"accprep-cli", "error: "},
    {"accprep-knet", "error: "},
    {"accprep-view", "error: "},
    {"accprep-integrate", "accprep-integrate: "},
};

ProcessResult RunProgram(const std::string& program, const std::string& argument) {
  ProcessRequest request;
  request.argv = {program, argument};
  request.environment = {"QT_QPA_PLATFORM=offscreen"};
  return RunProcess(request);
}

TEST(ProgramAnswers, HelpVersionAndUsageMistakesAlike) {
  int found = 0;
  for (const Program& program : kPrograms) {
    const std::string path = std::string(ACCPREP_PROGRAM_FOLDER) + "/" + program.name;
    if (!std::filesystem::exists(path)) continue;  // the viewer is left out of headless builds
    ++found;
    SCOPED_TRACE(program.name);

    const ProcessResult help = RunProgram(path, "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--help"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");

    const ProcessResult version = RunProgram(path, "--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string(program.name) + " " + ACCPREP_VERSION + "\n");
    EXPECT_EQ(version.err, "");

    const ProcessResult mistake = RunProgram(path, "--no-such-option");
    EXPECT_EQ(mistake.exitCode, 2);
    EXPECT_EQ(mistake.err.rfind(program.mistakePrefix, 0), 0u) << mistake.err;
    EXPECT_EQ(mistake.out, "");
  }
  EXPECT_GE(found, 3) << "the programs are not built in " << ACCPREP_PROGRAM_FOLDER;
}

}  // namespace
}  // namespace accprep::testing
