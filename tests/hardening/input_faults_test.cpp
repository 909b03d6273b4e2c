// Inputs that fail the run: a record that vanishes or is cut short between its selection
// and Start, and values so large that the rounding overflows.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/engine_error.hpp"
#include "run_scene.hpp"

namespace accprep::testing {
namespace {

namespace fs = std::filesystem;

// Record `records` of MakeAccelerationRecord with channel `channel` of row `row` set to `value`.
std::string RecordWithValue(int row, int channel, const std::string& value) {
  std::string record = MakeAccelerationRecord(kSceneRecords);
  std::size_t at = 0;
  for (int line = 0; line < row + 1; ++line) at = record.find("\r\n", at) + 2;  // 2 header lines
  for (int field = 0; field < channel; ++field) at = record.find(',', at) + 1;
  const std::size_t end = record.find(',', at);
  record.replace(at, end - at, value);
  return record;
}

void ExpectUntouchedFailure(RunScene& scene, int step, const std::string& reasonPart,
                            RunOutcome* result = nullptr) {
  const FileSnapshot before = scene.Snapshot();
  const RunOutcome outcome = scene.Run();
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(outcome.step, step) << outcome.message;
  EXPECT_NE(outcome.reason.find(reasonPart), std::string::npos) << outcome.message;
  EXPECT_TRUE(outcome.messages.empty());
  // Nothing of the run reached a destination: not even the exchange CSV.
  ExpectNothingLost(scene, before, {});
  EXPECT_FALSE(fs::exists(scene.InProgram("outacc.csv")));
  if (result != nullptr) *result = outcome;
}

TEST(InputFaults, RecordThatVanishedBeforeStartIsNamedAndNothingIsTouched) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare());
  fs::remove(scene.Input());
  RunOutcome outcome;
  ExpectUntouchedFailure(scene, 4, SystemReason(ENOENT), &outcome);
  EXPECT_EQ(outcome.file, scene.Input());
}

TEST(InputFaults, RecordCutShortBeforeStartIsNamedWithTheRecordItEndsIn) {
  RunScene scene;
  const std::string record = MakeAccelerationRecord(kSceneRecords);
  // Cut in the middle of a line, as a copy that was interrupted leaves it.
  const std::size_t cut = record.find("\r\n", record.size() / 2) - 7;
  ASSERT_TRUE(scene.Prepare(record.substr(0, cut)));
  RunOutcome outcome;
  ExpectUntouchedFailure(scene, 4, "the file ends inside record", &outcome);
  EXPECT_EQ(outcome.file, scene.Input());
  EXPECT_NE(outcome.reason.find("values read"), std::string::npos) << outcome.reason;
}

TEST(InputFaults, RecordEmptiedBeforeStartFailsAtItsFirstHeaderLine) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare(""));
  RunOutcome outcome;
  ExpectUntouchedFailure(scene, 4, "the file ends before header line 1", &outcome);
  EXPECT_EQ(outcome.file, scene.Input());
}

TEST(ExtremeValues, ValueWhoseRoundingOverflowsStopsAtTheBaselineNamingRowAndChannel) {
  // 1e305 less its channel's mean, times 10^4, is beyond the largest double. With the
  // largest double the mean itself is so large that the first row of the channel already
  // overflows.
  const struct {
    const char* value;
    const char* where;
  } cases[] = {{"1e305", "(row 120, channel 7ch)"},
               {"-1e305", "(row 120, channel 7ch)"},
               {"1.7976931348623157e308", "(row 1, channel 7ch)"}};
  for (const auto& [value, where] : cases) {
    SCOPED_TRACE(value);
    RunScene scene;
    ASSERT_TRUE(scene.Prepare(RecordWithValue(120, 7, value)));
    RunOutcome outcome;
    ExpectUntouchedFailure(scene, 7, "floating-point overflow", &outcome);
    EXPECT_NE(outcome.reason.find(where), std::string::npos) << outcome.reason;
  }
}

TEST(ExtremeValues, ChannelSumThatOverflowsStopsAtTheBaseline) {
  // Each value rounds on its own, but their sum is infinite, and so would be the mean.
  std::string record = RecordWithValue(10, 3, "1e308");
  RunScene scene;
  {
    // Put a second 1e308 in the same channel.
    std::size_t at = 0;
    for (int line = 0; line < 20 + 1; ++line) at = record.find("\r\n", at) + 2;
    for (int field = 0; field < 3; ++field) at = record.find(',', at) + 1;
    record.replace(at, record.find(',', at) - at, "1e308");
  }
  ASSERT_TRUE(scene.Prepare(record));
  RunOutcome outcome;
  ExpectUntouchedFailure(scene, 7, "channel 3", &outcome);
}

TEST(ExtremeValues, ValueBeyondTheDoubleRangeIsRefusedWhereItStands) {
  RunScene scene;
  ASSERT_TRUE(scene.Prepare(RecordWithValue(42, 11, "1e400")));
  RunOutcome outcome;
  ExpectUntouchedFailure(scene, 4, "value is not finite: \"1e400\"", &outcome);
  EXPECT_NE(outcome.message.find("line 44, field 12"), std::string::npos) << outcome.message;
}

}  // namespace
}  // namespace accprep::testing
