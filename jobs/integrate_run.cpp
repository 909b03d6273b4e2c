#include "jobs/integrate_run.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/conversion_names.hpp"
#include "engine/number_format.hpp"
#include "engine/record_reader.hpp"
#include "engine/time_step.hpp"
#include "jobs/fft_integrator.hpp"
#include "jobs/result_csv.hpp"

namespace accprep {
namespace {

// outacc.csv: one header line, then time and the 40 channels.
constexpr int kExchangeHeaderLines = 1;
constexpr int kExchangeFields = kWrittenColumns;

// A hint for a large block about to be filled: on systems that give transparent huge pages
// on request, 2 MB pages turn the ~70,000 page faults of filling the table and the spectra of
// the largest record into a few hundred. The block's content and size do not change.
void AdviseHugePages(const void* block, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Channels are integrated on this many threads at most: each brings two transform buffers of
// 7 MB for the largest record, and the machines this runs on have two cores.
constexpr unsigned kMaxIntegrationThreads = 2;

// Integrates channels 1..40 of rows 1..records in place and writes channel c's spectrum at
// spectrum + (c - 1) * spectrumLength: each channel's spectrum is one run of memory, so the
// transforms write it in sequence instead of one cache line a value.
void IntegrateChannels(SampleTable& table, FftIntegrator& integrator, double* spectrum) {
  const unsigned threads =
      std::clamp(std::thread::hardware_concurrency(), 1u, kMaxIntegrationThreads);
  // The helpers' copies are made and destroyed here, on this thread: FFTW's planner, which
  // creates and destroys plans, is not thread-safe.
  std::vector<std::unique_ptr<FftIntegrator>> copies;
  for (unsigned i = 1; i < threads; ++i) copies.push_back(std::make_unique<FftIntegrator>(integrator));
  double* firstRow = table.row(1);
  const std::size_t length = integrator.spectrumLength();
  std::atomic<int> nextChannel{1};
  auto work = [&](FftIntegrator* worker) {
    for (int channel = nextChannel++; channel <= kChannels; channel = nextChannel++) {
      worker->Integrate(firstRow + channel, kTableColumns,
                        spectrum + static_cast<std::size_t>(channel - 1) * length, 1);
    }
  };
  std::vector<std::thread> helpers;
  for (auto& copy : copies) helpers.emplace_back(work, copy.get());
  work(&integrator);
  for (std::thread& helper : helpers) helper.join();
}

// Values near the double range pass the engine's rounding (up to about 1.8e304), yet their
// transform can pass the largest double, and the result then holds infinities and NaNs that
// no reader takes. Such a result is refused here, before anything is written, instead of
// leaving "nan" in the files as if the job had succeeded.
void CheckFinite(const SampleTable& table, std::int32_t records, const double* spectrum,
                 std::size_t frequencies, const std::string& inputPath) {
  for (int channel = 1; channel <= kChannels; ++channel) {
    bool finite = true;
    for (std::int32_t row = 1; row <= records && finite; ++row)
      finite = std::isfinite(table.row(row)[channel]);
    const double* own = spectrum + static_cast<std::size_t>(channel - 1) * frequencies;
    for (std::size_t k = 0; k < frequencies && finite; ++k) finite = std::isfinite(own[k]);
    if (!finite) {
      throw EngineError(ErrorKind::kArithmetic,
                        "the integration of channel " + std::to_string(channel) +
                            "ch is not finite: its values are too large for the transform",
                        inputPath);
    }
  }
}

}  // namespace

IntegrationReport RunIntegration(const JobOptions& options) {
  const std::string inputPath = InFolder(options.folder, kExchangeCsv);
  const char* resultName =
      options.mode == IntegrationMode::kVelocity ? kVelocityResult : kDisplacementResult;

  auto table = std::make_unique<SampleTable>();
  AdviseHugePages(table->row(0), sizeof(double) * kTableRows * kTableColumns);
  const std::int32_t records =
      ReadRecord(*table, inputPath, kExchangeHeaderLines, kExchangeFields, [](float) {});
  if (records < 2) {
    throw EngineError(ErrorKind::kInput,
                      "integration needs at least 2 records; this file holds " +
                          std::to_string(records),
                      inputPath);
  }
  IntegrationReport report;
  report.records = records;
  report.step = UniformTimeStep(table->row(1), kTableColumns, records, inputPath,
                                kExchangeHeaderLines + 1);

  const double nyquist = 0.5 / report.step;
  if (options.filter.highPassCorner >= nyquist) {
    throw EngineError(ErrorKind::kInput,
                      "the high-pass corner " + FormatNumber(options.filter.highPassCorner) +
                          " Hz lies at or above the record's Nyquist frequency " +
                          FormatNumber(nyquist) + " Hz, which would leave nothing",
                      inputPath);
  }

  FftIntegrator integrator(static_cast<std::size_t>(records), report.step, options.mode,
                           options.filter);
  report.fftLength = integrator.fftLength();
  const std::size_t frequencies = integrator.spectrumLength();
  // Left uninitialised: every cell is written by the channel loop, and zeroing 150 MB would
  // cost a pass of its own.
  std::unique_ptr<double[]> spectrum(new double[frequencies * kChannels]);
  AdviseHugePages(spectrum.get(), sizeof(double) * frequencies * kChannels);
  IntegrateChannels(*table, integrator, spectrum.get());
  CheckFinite(*table, records, spectrum.get(), frequencies, inputPath);

  // The channel's integral has replaced its acceleration in the table.
  const double* firstRow = table->row(1);
  ResultCsvFile result(InFolder(options.folder, resultName));
  result.WriteHeader("time");
  result.WriteRows(static_cast<std::size_t>(records), false, [firstRow](std::size_t row) {
    const double* cells = firstRow + row * kTableColumns;
    return ResultRow{cells[0], cells + 1, 1};
  });

  ResultCsvFile amplitude(InFolder(options.folder, kSpectrumResult));
  amplitude.WriteHeader("freq");
  const double df = integrator.frequencyStep();
  const double* spectra = spectrum.get();
  amplitude.WriteRows(frequencies, true, [=](std::size_t row) {
    return ResultRow{static_cast<double>(row + 1) * df, spectra + row, frequencies};
  });

  result.Commit();
  amplitude.Commit();
  return report;
}

}  // namespace accprep
