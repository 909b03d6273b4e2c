// The building tab's analyses on a 40-channel, 450,000-record conversion held in memory as
// the viewer holds it: a 14-storey shear building in X and Y (15 levels each) and 10 vertical
// sensors, its base moved by the shared K-NET record repeated over 4,500 s; velocity and
// displacement integrated as the jobs integrate. Target: the whole tab (profiles, the
// transfer function of every direction, the modes, the drifts) within 2 s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/conversion_names.hpp"
#include "jobs/fft_integrator.hpp"
#include "shear_building.hpp"
#include "viewer/building_analysis.hpp"
#include "viewer/building_overview.hpp"

namespace {

using namespace accprep;

constexpr std::int64_t kRecords = 450000;
constexpr double kStep = testing::kSharedRecordStep;
constexpr int kFloors = 14;

// The shared record's trace `channel`, repeated to the full length.
std::vector<double> LongBase(int channel) {
  const std::vector<double> trace = testing::SharedRecordChannel(channel);
  std::vector<double> base(kRecords);
  for (std::int64_t i = 0; i < kRecords; ++i) base[i] = trace[i % trace.size()];
  return base;
}

void Store(ChannelTable& table, int channel, const std::vector<double>& values) {
  std::copy(values.begin(), values.end(), table.column(channel).begin());
}

struct BigBuilding {
  ChannelTable acceleration{kRecords};
  ChannelTable velocity{kRecords};
  ChannelTable displacement{kRecords};
  BuildingLayout layout;
  std::string layoutText;

  BigBuilding() {
    std::string text = "channel,location,direction,height\n";
    for (int d = 0; d < 2; ++d) {
      testing::ShearBuilding building;
      for (int f = 0; f < kFloors; ++f) {
        building.masses.push_back(500.0);
        building.stiffnesses.push_back((d == 0 ? 6e5 : 8e5) * (1.0 - 0.04 * f));
        building.dampingRatios.push_back(0.02 + 0.002 * f);
      }
      const std::vector<double> base = LongBase(13 + d);
      const testing::BuildingModes modes = testing::ExactModes(building);
      const testing::BuildingResponse response =
          testing::RespondToBase(building, modes, base, kStep);
      const int first = 1 + d * (kFloors + 1);
      Store(acceleration, first, base);
      for (int f = 0; f < kFloors; ++f)
        Store(acceleration, first + 1 + f, response.acceleration[f]);
      for (int level = 0; level <= kFloors; ++level) {
        text += std::to_string(first + level) + "," + std::to_string(level + 1) + "F," +
                (d == 0 ? "X," : "Y,") + std::to_string(3.5 * level) + "\n";
      }
    }
    const std::vector<double> vertical = LongBase(15);
    for (int level = 0; level < 10; ++level) {
      std::vector<double> scaled = vertical;
      for (double& v : scaled) v *= 1.0 + 0.05 * level;
      Store(acceleration, 31 + level, scaled);
      text += std::to_string(31 + level) + "," + std::to_string(level + 1) + "F,Z," +
              std::to_string(5.0 * level) + "\n";
    }
    layout = ParseBuildingLayout(text, "big_layout.csv");
    layoutText = text;
    for (std::int64_t i = 0; i < kRecords; ++i) {
      acceleration.column(0)[i] = velocity.column(0)[i] = displacement.column(0)[i] =
          static_cast<double>(i) / 100;
    }
    FftIntegrator once(kRecords, kStep, IntegrationMode::kVelocity, {});
    FftIntegrator twice(kRecords, kStep, IntegrationMode::kDisplacement, {});
    for (int c = 1; c <= kChannels; ++c) {
      std::vector<double> values(acceleration.column(c).begin(), acceleration.column(c).end());
      std::vector<double> integral = values;
      once.Integrate(integral.data(), 1, nullptr, 1);
      Store(velocity, c, integral);
      twice.Integrate(values.data(), 1, nullptr, 1);
      Store(displacement, c, values);
    }
  }
};

BigBuilding& Big() {
  static BigBuilding big;
  return big;
}

// What the tab shows on opening: every profile, the default transfer function of every
// direction, the modes of the horizontal ones and every story's drift.
void BM_BuildingTab(benchmark::State& state) {
  BigBuilding& big = Big();
  const BuildingRecords records{&big.acceleration, &big.velocity, &big.displacement, kStep};
  for (auto _ : state) {
    const auto profiles = ComputeProfiles(big.layout, records);
    const auto responses =
        ComputeDirectionResponses(big.layout, big.acceleration, kStep, kDefaultTransferSmoothing);
    const auto drifts = ComputeDrifts(big.layout, big.displacement);
    benchmark::DoNotOptimize(profiles.data());
    benchmark::DoNotOptimize(drifts.data());
    state.counters["modes"] =
        static_cast<double>(responses[0].modes.size() + responses[1].modes.size());
  }
}
BENCHMARK(BM_BuildingTab)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The same as the tab computes it before it shows anything: the layout read from beside the
// record, the time step checked, and the time history of each direction's largest story drift.
void BM_BuildingTabOverview(benchmark::State& state) {
  BigBuilding& big = Big();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "accprep_building_bench";
  std::filesystem::create_directories(folder);
  const ConversionFiles files = FindConversionFiles((folder / "big.csv").string());
  std::ofstream(LayoutFilePath(files.stem), std::ios::binary) << big.layoutText;
  const BuildingRecords records{&big.acceleration, &big.velocity, &big.displacement, 0.0};
  for (auto _ : state) {
    const auto overview =
        ComputeBuildingOverview(files, records, kFirstPair, kDefaultTransferSmoothing);
    if (!overview->fromFile || !overview->failure.empty() || overview->largest.size() != 2) {
      state.SkipWithError("the overview did not read the layout or failed");
      break;
    }
    benchmark::DoNotOptimize(overview->largest.data());
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_BuildingTabOverview)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A change of smoothing to Konno-Ohmachi (b = 40) for the transfer function of one direction.
void BM_TransferKonnoOhmachi(benchmark::State& state) {
  BigBuilding& big = Big();
  const LayoutDirection& x = big.layout.directions[0];
  for (auto _ : state) {
    const TransferFunction transfer =
        ComputeTransfer(big.acceleration, kStep, {x.base().channel, x.top().channel},
                        {SpectralSmoothing::Kind::kKonnoOhmachi, 40.0}, "big_acc.csv");
    benchmark::DoNotOptimize(transfer.response.data());
  }
}
BENCHMARK(BM_TransferKonnoOhmachi)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The first frequency of both horizontal directions through 4,500 s: 2,241 windows each.
void BM_FrequencyTracking(benchmark::State& state) {
  BigBuilding& big = Big();
  const auto modes = ComputeModes(big.layout, big.acceleration, kStep);
  for (auto _ : state) {
    const auto tracking = ComputeTracking(modes, big.acceleration, kStep);
    benchmark::DoNotOptimize(tracking.data());
  }
}
BENCHMARK(BM_FrequencyTracking)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
