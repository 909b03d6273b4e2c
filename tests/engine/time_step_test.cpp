#include "engine/time_step.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/data_error.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

std::vector<double> EvenTimes(int count, double step, double start = 0.0) {
  std::vector<double> times;
  for (int i = 0; i < count; ++i) times.push_back(start + i * step);
  return times;
}

std::string FailureOf(const std::vector<double>& times, std::int64_t firstLine = 2) {
  return testing::DataErrorText([&] { UniformTimeStep(times, "/x/outacc.csv", firstLine); },
                                DataErrorKind::kInput);
}

TEST(UniformTimeStep, AcceptsJitterAndReturnsTheAverageStep) {
  std::vector<double> times;
  for (int i = 0; i < 1001; ++i) times.push_back(5.0 + i * 0.005 + (i % 2 ? -1e-7 : 1e-7));
  EXPECT_NEAR(UniformTimeStep(times, "a.csv", 2), 0.005, 1e-12);

  // Times written with two decimals, as a record usually holds them.
  std::vector<double> rounded;
  for (int i = 0; i < 1000; ++i) rounded.push_back(std::round(i * 0.01 * 100) / 100);
  EXPECT_NEAR(UniformTimeStep(rounded, "a_acc.csv", 3), 0.01, 1e-15);
}

TEST(UniformTimeStep, ReadsAStridedColumn) {
  // Time in column 0 of rows of three values.
  const std::vector<double> rows = {0.0, 9, 9, 0.5, 9, 9, 1.0, 9, 9};
  EXPECT_DOUBLE_EQ(UniformTimeStep(rows.data(), 3, 3, "a.csv", 2), 0.5);
}

TEST(UniformTimeStep, NamesTheFirstLineWhereTheStepChanges) {
  std::vector<double> times = EvenTimes(10, 0.01);
  for (int i = 4; i < 10; ++i) times[i] = (i + 1) * 0.01;  // a sample is missing after the 4th
  EXPECT_EQ(FailureOf(times),
            "/x/outacc.csv: line 6: the time step is not uniform: 0.02 s from the record "
            "before, where the record starts with steps of 0.01 s");
  // The public acceleration CSV starts its records on line 3.
  EXPECT_EQ(FailureOf(times, 3),
            "/x/outacc.csv: line 7: the time step is not uniform: 0.02 s from the record "
            "before, where the record starts with steps of 0.01 s");
}

TEST(UniformTimeStep, RefusesTimeThatDoesNotIncreaseOrTooFewRecords) {
  std::vector<double> times = EvenTimes(10, 0.01);
  times[1] = 0.0;
  EXPECT_EQ(FailureOf(times),
            "/x/outacc.csv: line 3: the time does not increase from the first record to the "
            "second (0 s, then 0 s)");
  EXPECT_EQ(FailureOf({1.0, 0.5, 0.0}),
            "/x/outacc.csv: line 3: the time does not increase from the first record to the "
            "second (1 s, then 0.5 s)");
  EXPECT_EQ(FailureOf({0.0}),
            "/x/outacc.csv: a time step needs at least 2 records; this file holds 1");
}

}  // namespace
}  // namespace accprep
