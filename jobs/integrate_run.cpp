#include "jobs/integrate_run.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/huge_pages.hpp"
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

// The exchange CSV's records one column after another: each channel is one run of memory
// for its transforms, and the checks and the result rows read it in sequence too.
class RecordColumns {
 public:
  // Reads `path` (one header line, time and the 40 channels a record).
  explicit RecordColumns(const std::string& path) {
    struct stat status {};
    const std::uint64_t size = ::stat(path.c_str(), &status) == 0 ? status.st_size : 0;
    // A record takes at least two characters a value: room for all the file can hold, of
    // which only what the records fill is ever touched.
    capacity_ = static_cast<std::size_t>(
        std::min<std::uint64_t>(kMaxRecords, size / (2 * kExchangeFields) + 1));
    cells_.reset(new double[capacity_ * kExchangeFields]);
    AdviseHugePages(cells_.get(), sizeof(double) * capacity_ * kExchangeFields);
    RecordForm form;
    form.headerLines = kExchangeHeaderLines;
    form.fieldsPerRecord = kExchangeFields;
    form.maxRecords = static_cast<std::int64_t>(capacity_);
    records_ = static_cast<std::int32_t>(ReadRecords(
        path, form, [this](std::int64_t first, const double* values, std::int64_t count) {
          for (std::int64_t i = 0; i < count; ++i) {
            const double* record = values + i * kExchangeFields;
            const std::size_t row = static_cast<std::size_t>(first - 1 + i);
            for (int c = 0; c < kExchangeFields; ++c) cells_[c * capacity_ + row] = record[c];
          }
        }));
  }

  std::int32_t records() const { return records_; }
  std::size_t stride() const { return capacity_; }  // from one column to the next
  double* column(int c) { return cells_.get() + static_cast<std::size_t>(c) * capacity_; }

 private:
  std::size_t capacity_ = 0;
  std::unique_ptr<double[]> cells_;
  std::int32_t records_ = 0;
};

// Channels are integrated on this many threads at most: each brings two transform buffers of
// 7 MB for the largest record, and the machines this runs on have two cores.
constexpr unsigned kMaxIntegrationThreads = 2;

// Integrates channels 1..40 in place and writes channel c's spectrum at
// spectrum + (c - 1) * spectrumLength: each channel's spectrum is one run of memory, so the
// transforms write it in sequence instead of one cache line a value.
void IntegrateChannels(RecordColumns& columns, FftIntegrator& integrator, double* spectrum) {
  const unsigned threads =
      std::clamp(std::thread::hardware_concurrency(), 1u, kMaxIntegrationThreads);
  // The helpers' copies are made and destroyed here, on this thread: FFTW's planner, which
  // creates and destroys plans, is not thread-safe.
  std::vector<std::unique_ptr<FftIntegrator>> copies;
  for (unsigned i = 1; i < threads; ++i) copies.push_back(std::make_unique<FftIntegrator>(integrator));
  const std::size_t length = integrator.spectrumLength();
  std::atomic<int> nextChannel{1};
  auto work = [&](FftIntegrator* worker) {
    for (int channel = nextChannel++; channel <= kChannels; channel = nextChannel++) {
      worker->Integrate(columns.column(channel), 1,
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
void CheckFinite(RecordColumns& columns, const double* spectrum, std::size_t frequencies,
                 const std::string& inputPath) {
  for (int channel = 1; channel <= kChannels; ++channel) {
    bool finite = true;
    const double* values = columns.column(channel);
    for (std::int32_t row = 0; row < columns.records() && finite; ++row)
      finite = std::isfinite(values[row]);
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

  RecordColumns columns(inputPath);
  const std::int32_t records = columns.records();
  if (records < 2) {
    throw EngineError(ErrorKind::kInput,
                      "integration needs at least 2 records; this file holds " +
                          std::to_string(records),
                      inputPath);
  }
  IntegrationReport report;
  report.records = records;
  report.step = UniformTimeStep(columns.column(0), 1, records, inputPath,
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
  IntegrateChannels(columns, integrator, spectrum.get());
  CheckFinite(columns, spectrum.get(), frequencies, inputPath);

  // Each channel's integral has replaced its acceleration in its column.
  const double* times = columns.column(0);
  const double* firstChannel = columns.column(1);
  const std::size_t stride = columns.stride();
  ResultCsvFile result(InFolder(options.folder, resultName));
  result.WriteHeader("time");
  result.WriteRows(static_cast<std::size_t>(records), false, [=](std::size_t row) {
    return ResultRow{times[row], firstChannel + row, stride};
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
