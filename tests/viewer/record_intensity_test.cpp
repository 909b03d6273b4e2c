#include "viewer/record_intensity.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace accprep {
namespace {

// `rows` rows at 100 Hz; channel c a sinusoid of its own, so that every channel differs.
ChannelTable SinusoidTable(std::int64_t rows) {
  ChannelTable table(rows);
  for (std::int64_t i = 0; i < rows; ++i) {
    const double t = 0.01 * static_cast<double>(i);
    table.column(0)[i] = t;
    for (int c = 1; c <= kChannels; ++c) {
      table.column(c)[i] = 10.0 * c * std::sin(2 * std::numbers::pi * (0.3 + 0.1 * c) * t);
    }
  }
  return table;
}

TEST(RecordIntensity, ComponentsTextReadsBack) {
  const IntensityComponents components{26, 25, 27};
  EXPECT_EQ(ComponentsText(components), "26,25,27");
  EXPECT_EQ(ParseComponents(ComponentsText(components)), components);
}

TEST(RecordIntensity, TakesTheChosenChannelsInTheirRoles) {
  const ChannelTable table = SinusoidTable(3000);
  const RecordIntensity result = ComputeRecordIntensity(table, "r_acc.csv", {5, 4, 9});
  const JmaIntensity direct =
      ComputeJmaIntensity(table.column(5), table.column(4), table.column(9), 0.01);
  EXPECT_EQ(result.components, (IntensityComponents{5, 4, 9}));
  EXPECT_EQ(result.jma.a0, direct.a0);
  EXPECT_EQ(result.jma.vectorSum, direct.vectorSum);
  EXPECT_EQ(result.longPeriod.sva,
            ComputeLongPeriodMotion(table.column(5), table.column(4), 0.01).sva);

  const auto measures = ComputeChannelMeasures(table, "r_acc.csv");
  EXPECT_EQ(measures[39].cav, ComputeAriasMeasures(table.column(40), 0.01).cav);
}

}  // namespace
}  // namespace accprep
