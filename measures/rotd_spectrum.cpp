#include "measures/rotd_spectrum.hpp"

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

#include "measures/band_limited_resampling.hpp"
#include "measures/oscillator_lanes.hpp"
#include "measures/oscillator_step.hpp"
#include "measures/parallel_tasks.hpp"
#include "measures/response_spectrum.hpp"

namespace accprep {
namespace {

// The periods one pass steps together: they share a sampling.
struct Pass {
  int factor = 1;
  std::vector<std::size_t> periods;  // indices into the periods
};

// Routes each oscillator's blocks of displacements to its period's peaks.
class PeakBlocks final : public DisplacementBlocks {
 public:
  explicit PeakBlocks(std::vector<ProjectionPeaks>& peaks) : peaks_(peaks) {}
  void Block(std::size_t oscillator, const Box& box, const double* x1, const double* x2,
             std::size_t count, std::size_t stride) override {
    peaks_[oscillator].AddBlock(box.min1, box.max1, box.min2, box.max2, x1, x2, count, stride);
  }

 private:
  std::vector<ProjectionPeaks>& peaks_;
};

}  // namespace

RotDValues RotDOf(const std::array<double, kRotationAngles>& psa) {
  std::array<double, kRotationAngles> sorted = psa;
  std::sort(sorted.begin(), sorted.end());
  return {sorted.front(), 0.5 * (sorted[89] + sorted[90]), sorted.back(), psa[0], psa[90]};
}

RotDSpectrum ComputeRotDSpectrum(std::span<const double> horizontal1,
                                 std::span<const double> horizontal2, double timeStep,
                                 std::span<const double> periods, double damping, int threads) {
  CheckResponseArguments(timeStep, periods, damping);
  if (horizontal1.size() != horizontal2.size()) {
    throw std::invalid_argument("the two horizontal components must have one length");
  }
  RotDSpectrum spectrum;
  spectrum.periods.assign(periods.begin(), periods.end());
  spectrum.values.assign(periods.size(), RotDValues{});
  if (horizontal1.size() < 2 || periods.empty()) return spectrum;

  // Both components at every sampling the periods need, resampled side by side.
  const std::span<const double> components[] = {horizontal1, horizontal2};
  std::unique_ptr<ResampledRecord> records[2];
  RunTasks(2, threads, [&](std::size_t c) {
    records[c] = std::make_unique<ResampledRecord>(components[c], timeStep, periods);
  });
  const ResampledRecord& record1 = *records[0];
  const ResampledRecord& record2 = *records[1];

  std::map<int, std::vector<std::size_t>> bySampling;
  for (std::size_t k = 0; k < periods.size(); ++k) {
    bySampling[record1.Factor(periods[k])].push_back(k);
  }
  const std::size_t perPass =
      static_cast<std::size_t>(kMostVectorsInFlight / 2 * OscillatorLanes());
  std::vector<Pass> passes;
  for (const auto& [factor, indices] : bySampling) {
    for (std::size_t first = 0; first < indices.size(); first += perPass) {
      Pass pass;
      pass.factor = factor;
      pass.periods.assign(indices.begin() + first,
                          indices.begin() + std::min(indices.size(), first + perPass));
      passes.push_back(std::move(pass));
    }
  }
  // The finest passes first: they cost the most, and the cheap ones fill in behind them.
  std::stable_sort(passes.begin(), passes.end(),
                   [](const Pass& a, const Pass& b) { return a.factor > b.factor; });

  RunTasks(passes.size(), threads, [&](std::size_t p) {
    const Pass& pass = passes[p];
    const double period0 = periods[pass.periods.front()];
    const double step = record1.Step(period0);
    std::vector<OscillatorStep> steps;
    for (std::size_t k : pass.periods)
      steps.push_back(MakeOscillatorStep(periods[k], damping, step));
    std::vector<ProjectionPeaks> peaks(steps.size());
    PeakBlocks blocks(peaks);
    StepForDisplacements(record1.View(period0), record2.View(period0), steps, blocks);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      std::array<double, kRotationAngles> psa = peaks[i].Peaks();  // a copy to scale
      for (double& value : psa) value *= steps[i].w2;
      spectrum.values[pass.periods[i]] = RotDOf(psa);
    }
  });
  return spectrum;
}

}  // namespace accprep
