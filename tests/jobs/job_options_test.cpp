// The command line the job files pass to accprep-integrate.

#include "jobs/job_options.hpp"

#include <gtest/gtest.h>

namespace accprep {
namespace {

TEST(JobOptions, DefaultsAreAFourthOrderHighPassAtATenthOfAHertzAndNoLowPass) {
  JobOptionsResult parsed = ParseJobOptions({"velocity", "/x/bin"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.mode, IntegrationMode::kVelocity);
  EXPECT_EQ(parsed.options.folder, "/x/bin");
  EXPECT_EQ(parsed.options.filter.highPassCorner, 0.1);
  EXPECT_EQ(parsed.options.filter.highPassOrder, 4);
  EXPECT_EQ(parsed.options.filter.lowPassCorner, 0.0);
}

TEST(JobOptions, ReadsEveryFilterSettingInBothSpellings) {
  JobOptionsResult parsed =
      ParseJobOptions({"--highpass-corner", "0.05", "displacement", "/a folder/bin",
                       "--highpass-order=2", "--lowpass-corner=25", "--lowpass-order", "8"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.mode, IntegrationMode::kDisplacement);
  EXPECT_EQ(parsed.options.folder, "/a folder/bin");
  EXPECT_EQ(parsed.options.filter.highPassCorner, 0.05);
  EXPECT_EQ(parsed.options.filter.highPassOrder, 2);
  EXPECT_EQ(parsed.options.filter.lowPassCorner, 25.0);
  EXPECT_EQ(parsed.options.filter.lowPassOrder, 8);

  JobOptionsResult off = ParseJobOptions({"velocity", "/x", "--highpass-corner", "0"});
  ASSERT_EQ(off.error, "");
  EXPECT_EQ(off.options.filter.highPassCorner, 0.0);
}

TEST(JobOptions, HelpAndVersionNeedNothingElse) {
  EXPECT_TRUE(ParseJobOptions({"--help"}).options.helpWanted);
  EXPECT_TRUE(ParseJobOptions({"velocity", "-h"}).options.helpWanted);
  const JobOptionsResult version = ParseJobOptions({"--highpass-order", "x", "--version"});
  EXPECT_TRUE(version.options.versionWanted);
  EXPECT_EQ(version.error, "");
  // The version wins over help, as it does for the other programs.
  const JobOptionsResult both = ParseJobOptions({"--help", "--version"});
  EXPECT_TRUE(both.options.versionWanted);
  EXPECT_FALSE(both.options.helpWanted);
}

TEST(JobOptions, RejectsBadArgumentsNamingThem) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{}, "the mode (velocity or displacement) is missing"},
      {{"acceleration", "/x"}, "unknown mode \"acceleration\" (velocity or displacement)"},
      {{"velocity"}, "the folder of outacc.csv is missing"},
      {{"velocity", ""}, "the folder of outacc.csv is empty"},
      {{"velocity", "/x", "/y"}, "unexpected argument \"/y\""},
      {{"velocity", "/x", "--bandpass", "1"}, "unknown option --bandpass"},
      {{"velocity", "/x", "--highpass-corner"}, "option --highpass-corner needs a value"},
      {{"velocity", "/x", "--highpass-corner", "-0.1"},
       "--highpass-corner needs a frequency in Hz >= 0, not \"-0.1\""},
      {{"velocity", "/x", "--lowpass-corner=inf"},
       "--lowpass-corner needs a frequency in Hz >= 0, not \"inf\""},
      {{"velocity", "/x", "--lowpass-corner", "10Hz"},
       "--lowpass-corner needs a frequency in Hz >= 0, not \"10Hz\""},
      {{"velocity", "/x", "--highpass-order", "0"},
       "--highpass-order needs a whole number from 1 to 12, not \"0\""},
      {{"velocity", "/x", "--lowpass-order", "2.5"},
       "--lowpass-order needs a whole number from 1 to 12, not \"2.5\""},
      {{"velocity", "/x", "--highpass-corner", "5", "--lowpass-corner", "5"},
       "the low-pass corner must lie above the high-pass corner"},
  };
  for (const Case& c : cases) {
    JobOptionsResult parsed = ParseJobOptions(c.arguments);
    EXPECT_EQ(parsed.error, c.error) << ::testing::PrintToString(c.arguments);
  }
}

}  // namespace
}  // namespace accprep
