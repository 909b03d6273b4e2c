#include "cli/cli_options.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace accprep {
namespace {

struct Parsed {
  ParseOutcome<CliOptions> outcome;
  std::string out;
  std::string err;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "accprep-cli");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out, err;
  ParseOutcome<CliOptions> outcome = ParseCommandLine(int(argv.size()), argv.data(), out, err);
  return {std::move(outcome), out.str(), err.str()};
}

TEST(ParseCommandLine, ReadsNameCommentAndInputsInOrder) {
  const Parsed parsed = Parse({"--name", "試験 1", "--comment", "site A, 2018", "a.csv", "c.csv"});
  ASSERT_TRUE(parsed.outcome.options);
  EXPECT_EQ(parsed.outcome.options->baseName, "試験 1");
  EXPECT_EQ(parsed.outcome.options->comment, "site A, 2018");
  EXPECT_EQ(parsed.outcome.options->inputs, (std::vector<std::string>{"a.csv", "c.csv"}));
  EXPECT_EQ(parsed.out + parsed.err, "");

  const Parsed shortForms = Parse({"-n", "b1", "a.csv"});
  ASSERT_TRUE(shortForms.outcome.options);
  EXPECT_EQ(shortForms.outcome.options->baseName, "b1");
  EXPECT_EQ(shortForms.outcome.options->comment, "");  // the empty comment line by default
}

TEST(ParseCommandLine, DoubleDashLetsAnInputBeginWithADash) {
  const Parsed parsed = Parse({"--name", "b1", "--", "-odd.csv"});
  ASSERT_TRUE(parsed.outcome.options);
  EXPECT_EQ(parsed.outcome.options->inputs, std::vector<std::string>{"-odd.csv"});
}

TEST(ParseCommandLine, HelpAndVersionGoToStandardOutputAndSucceed) {
  const Parsed help = Parse({"--help"});
  EXPECT_FALSE(help.outcome.options);
  EXPECT_EQ(help.outcome.exitCode, kExitSuccess);
  EXPECT_NE(help.out.find("--name"), std::string::npos);
  EXPECT_NE(help.out.find("--comment"), std::string::npos);
  EXPECT_NE(help.out.find("INPUT"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const Parsed version = Parse({"--version"});
  EXPECT_FALSE(version.outcome.options);
  EXPECT_EQ(version.outcome.exitCode, kExitSuccess);
  EXPECT_EQ(version.out.rfind("accprep-cli ", 0), 0u) << version.out;
}

TEST(ParseCommandLine, UsageMistakesExitTwoWithTheReasonAndTheUsage) {
  const std::vector<std::vector<std::string>> mistakes = {
      {},                                    // nothing at all
      {"a.csv"},                             // no --name
      {"--name", "b1"},                      // no input
      {"--name", "", "a.csv"},               // an empty base name
      {"--name", "b1", "--bogus", "a.csv"},  // an unknown option
      {"--name"},                            // an option without its value
      {"--name", "b1", "a.csv", "x/a.csv"},  // two inputs sharing b1_a
  };
  for (const auto& args : mistakes) {
    const Parsed parsed = Parse(args);
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_FALSE(parsed.outcome.options);
    EXPECT_EQ(parsed.outcome.exitCode, kExitUsage);
    EXPECT_EQ(parsed.err.rfind("error: ", 0), 0u) << parsed.err;
    EXPECT_NE(parsed.err.find("Usage:"), std::string::npos) << parsed.err;
    EXPECT_EQ(parsed.out, "");
  }
}

TEST(ParseCommandLine, CollisionMessageNamesBothInputsAndTheSharedName) {
  const Parsed parsed = Parse({"--name", "b1", "x/a.csv", "c.csv", "y/a.csv"});
  EXPECT_EQ(parsed.outcome.exitCode, kExitUsage);
  EXPECT_NE(parsed.err.find("x/a.csv and y/a.csv would both write the matrix files of b1_a"),
            std::string::npos)
      << parsed.err;
}

}  // namespace
}  // namespace accprep
