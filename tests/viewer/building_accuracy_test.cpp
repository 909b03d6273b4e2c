// The building's analyses held to a synthetic five-storey shear building with exact answers:
// its modes from the mass and stiffness matrices, its response by modal superposition, its
// base moved by a real K-NET trace, its records converted as a conversion converts them (four
// decimals, displacement by the velocity and displacement jobs' integrator).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "engine/building_layout.hpp"
#include "jobs/fft_integrator.hpp"
#include "shear_building.hpp"
#include "viewer/building_analysis.hpp"

namespace accprep {
namespace {

using testing::BuildingModes;
using testing::ShearBuilding;

constexpr double kStep = testing::kSharedRecordStep;
// Sensor noise, gal: about what a strong-motion sensor shows at rest (a few tens of micro-g).
constexpr double kNoise = 0.01;
constexpr double kHeights[] = {0, 4.0, 7.5, 11.0, 14.5, 18.0};

// Story stiffnesses scaled so that the first mode lies at `firstFrequency` Hz.
ShearBuilding Building(std::vector<double> stiffnesses, double firstFrequency,
                       std::vector<double> damping) {
  ShearBuilding building{{520, 500, 500, 480, 420}, std::move(stiffnesses), std::move(damping)};
  const double scale = std::pow(firstFrequency / testing::ExactModes(building).frequencies[0], 2);
  for (double& k : building.stiffnesses) k *= scale;
  return building;
}

struct Direction {
  ShearBuilding building;
  BuildingModes modes;
  testing::BuildingResponse response;
  std::vector<double> base;
};

// X on channels 1..6 and Y on 7..12, the base first, as the layout below says.
class SyntheticBuilding {
 public:
  SyntheticBuilding() : acceleration_(kRecords), displacement_(kRecords) {
    directions_.push_back(
        Make(Building({1.0, 0.9, 0.8, 0.65, 0.5}, 1.8, {0.020, 0.030, 0.040, 0.045, 0.045}),
             testing::SharedRecordChannel(13)));
    directions_.push_back(
        Make(Building({1.0, 0.92, 0.83, 0.7, 0.55}, 2.3, {0.025, 0.030, 0.035, 0.040, 0.045}),
             testing::SharedRecordChannel(14)));
    std::mt19937 random(20261209);
    std::normal_distribution<double> noise(0.0, kNoise);
    for (std::int64_t i = 0; i < kRecords; ++i) {
      acceleration_.column(0)[i] = displacement_.column(0)[i] = kStep * static_cast<double>(i);
    }
    for (int c = 1; c <= kChannels; ++c) {
      std::vector<double> trace(kRecords, 0.0);
      if (c <= 12) {
        const Direction& direction = directions_[(c - 1) / 6];
        const int level = (c - 1) % 6;
        trace = level == 0 ? direction.base : direction.response.acceleration[level - 1];
        // The conversion keeps four decimals.
        for (double& v : trace) v = std::round((v + noise(random)) * 1e4) / 1e4;
      }
      std::copy(trace.begin(), trace.end(), acceleration_.column(c).begin());
      FftIntegrator integrator(trace.size(), kStep, IntegrationMode::kDisplacement, {});
      integrator.Integrate(trace.data(), 1, nullptr, 1);
      std::copy(trace.begin(), trace.end(), displacement_.column(c).begin());
    }
    std::string text = "channel,location,direction,height\n";
    const char* levels[] = {"1F", "2F", "3F", "4F", "5F", "RF"};
    for (int c = 1; c <= 12; ++c) {
      text += std::to_string(c) + "," + levels[(c - 1) % 6] + "," + (c <= 6 ? "X" : "Y") + "," +
              std::to_string(kHeights[(c - 1) % 6]) + "\n";
    }
    layout_ = ParseBuildingLayout(text, "building_layout.csv");
  }

  const Direction& direction(int d) const { return directions_[d]; }
  const BuildingLayout& layout() const { return layout_; }
  const ChannelTable& acceleration() const { return acceleration_; }
  const ChannelTable& displacement() const { return displacement_; }

 private:
  static constexpr std::int64_t kRecords = 9500;  // the shared record's length

  static Direction Make(ShearBuilding building, std::vector<double> base) {
    base.resize(kRecords);
    Direction direction{std::move(building), {}, {}, std::move(base)};
    direction.modes = testing::ExactModes(direction.building);
    direction.response =
        testing::RespondToBase(direction.building, direction.modes, direction.base, kStep);
    return direction;
  }

  std::vector<Direction> directions_;
  ChannelTable acceleration_;
  ChannelTable displacement_;
  BuildingLayout layout_;
};

const SyntheticBuilding& Synthetic() {
  static const SyntheticBuilding building;
  return building;
}

TEST(BuildingAccuracy, FirstThreeModesOfEachDirection) {
  const std::vector<DirectionModes> found =
      ComputeModes(Synthetic().layout(), Synthetic().acceleration(), kStep);
  ASSERT_EQ(found.size(), 2u);
  for (int d = 0; d < 2; ++d) {
    const Direction& exact = Synthetic().direction(d);
    ASSERT_GE(found[d].modes.size(), 3u) << found[d].direction->name;
    for (int m = 0; m < 3; ++m) {
      const IdentifiedMode& mode = found[d].modes[m];
      const double frequency = exact.modes.frequencies[m];
      const double damping = exact.building.dampingRatios[m];
      EXPECT_NEAR(mode.frequency, frequency, 0.005 * frequency)
          << "direction " << d << " mode " << m + 1;
      EXPECT_NEAR(mode.damping, damping, 0.1 * damping) << "direction " << d << " mode " << m + 1;
      EXPECT_DOUBLE_EQ(mode.period, 1.0 / mode.frequency);
    }
  }
}

// The window's view of every direction: the transfer function smoothed as chosen, the modes
// found on the default smoothing whatever is shown.
TEST(BuildingAccuracy, DirectionResponsesShowTheChosenSmoothingWithTheSameModes) {
  const std::vector<DirectionModes> modes =
      ComputeModes(Synthetic().layout(), Synthetic().acceleration(), kStep);
  for (const SpectralSmoothing& smoothing :
       {kDefaultTransferSmoothing, SpectralSmoothing{SpectralSmoothing::Kind::kNone, 0}}) {
    const std::vector<DirectionResponse> responses = ComputeDirectionResponses(
        Synthetic().layout(), Synthetic().acceleration(), kStep, smoothing);
    ASSERT_EQ(responses.size(), 2u);
    for (int d = 0; d < 2; ++d) {
      EXPECT_EQ(responses[d].direction, modes[d].direction);
      EXPECT_EQ(responses[d].transfer.frequency.size(), 9500u / 2);  // the whole record
      ASSERT_EQ(responses[d].modes.size(), modes[d].modes.size());
      for (std::size_t m = 0; m < modes[d].modes.size(); ++m) {
        EXPECT_EQ(responses[d].modes[m].frequency, modes[d].modes[m].frequency);
        EXPECT_EQ(responses[d].modes[m].damping, modes[d].modes[m].damping);
      }
    }
    EXPECT_EQ(responses[0].transfer.coherence[100] == 1.0,
              smoothing.kind == SpectralSmoothing::Kind::kNone);
  }
}

TEST(BuildingAccuracy, PeakStoryDriftsOfTheConvertedDisplacements) {
  const std::vector<StoryDriftEntry> drifts =
      ComputeDrifts(Synthetic().layout(), Synthetic().displacement());
  ASSERT_EQ(drifts.size(), 10u);
  for (const StoryDriftEntry& entry : drifts) {
    const Direction& exact = Synthetic().direction(entry.direction->name == "X" ? 0 : 1);
    // The exact drift: the relative displacement of the story's upper floor less its lower's.
    const std::vector<double>& upper = exact.response.relativeDisplacement[entry.story - 1];
    double peak = 0.0;
    for (std::size_t i = 0; i < upper.size(); ++i) {
      const double lower =
          entry.story == 1 ? 0.0 : exact.response.relativeDisplacement[entry.story - 2][i];
      peak = std::max(peak, std::fabs(upper[i] - lower));
    }
    const std::string where = entry.direction->name + " story " + std::to_string(entry.story);
    EXPECT_NEAR(std::fabs(entry.drift.peak.value), peak, 0.05 * peak) << where;
    const double height = kHeights[entry.story] - kHeights[entry.story - 1];
    EXPECT_DOUBLE_EQ(entry.height, height) << where;
    EXPECT_DOUBLE_EQ(entry.drift.angle, std::fabs(entry.drift.peak.value) / (100 * height));
  }
}

TEST(BuildingAccuracy, PeakFloorAccelerationsAreTheRecordsOwnPeaks) {
  const BuildingRecords records{&Synthetic().acceleration(), nullptr, &Synthetic().displacement(),
                                kStep};
  const std::vector<DirectionProfile> profiles = ComputeProfiles(Synthetic().layout(), records);
  ASSERT_EQ(profiles.size(), 2u);
  for (const DirectionProfile& profile : profiles) {
    ASSERT_EQ(profile.levels.size(), 6u);
    for (std::size_t level = 0; level < 6; ++level) {
      const std::span<const double> trace =
          Synthetic().acceleration().column(profile.direction->levels[level].channel);
      double peak = 0.0;
      for (double v : trace) peak = std::max(peak, std::fabs(v));
      EXPECT_EQ(profile.levels[level].acceleration, peak);
      EXPECT_TRUE(std::isnan(profile.levels[level].velocity));
      EXPECT_DOUBLE_EQ(profile.levels[level].amplification, peak / profile.levels[0].acceleration);
    }
  }
}

TEST(BuildingAccuracy, TrackedFirstFrequencyOfALinearBuildingStaysPut) {
  const ChannelTable& acceleration = Synthetic().acceleration();
  const std::vector<DirectionTracking> tracking =
      ComputeTracking(ComputeModes(Synthetic().layout(), acceleration, kStep), acceleration, kStep);
  ASSERT_EQ(tracking.size(), 2u);
  for (int d = 0; d < 2; ++d) {
    const LayoutDirection& direction = *tracking[d].direction;
    const std::span<const double> roof = acceleration.column(direction.top().channel);
    double roofPeak = 0.0;
    for (double v : roof) roofPeak = std::max(roofPeak, std::fabs(v));
    // Over the windows where the roof moves with more than a tenth of its peak.
    const double exact = Synthetic().direction(d).modes.frequencies[0];
    std::vector<double> errors;
    for (const TrackedFrequency& window : tracking[d].track) {
      // The window's first sample: its centre less half of its 2,000 samples.
      const auto first = static_cast<std::size_t>(std::llround(window.time / kStep - 999.5));
      double windowPeak = 0.0;
      for (std::size_t i = first; i < first + 2000 && i < roof.size(); ++i) {
        windowPeak = std::max(windowPeak, std::fabs(roof[i]));
      }
      if (windowPeak <= roofPeak / 10) continue;
      errors.push_back(window.frequency ? std::fabs(*window.frequency / exact - 1) : 1.0);
    }
    ASSERT_GE(errors.size(), 10u);
    std::sort(errors.begin(), errors.end());
    EXPECT_LE(errors[errors.size() / 2], 0.03) << direction.name;
    EXPECT_LE(errors[errors.size() * 9 / 10], 0.08) << direction.name;
  }
}

}  // namespace
}  // namespace accprep
