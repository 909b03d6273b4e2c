#include "jobs/integrate_run.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/conversion_names.hpp"
#include "engine/data_error.hpp"
#include "engine/huge_pages.hpp"
#include "engine/interruption.hpp"
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
// for its transforms, and the checks and the result rows read it in sequence too. A column
// has room for the channel's spectrum as well, which replaces its integral once that is
// written: the job then needs no second table of 150 MB.
class RecordColumns {
 public:
  // Reads `path` (one header line, time and the 40 channels a record).
  explicit RecordColumns(const std::string& path) {
    struct stat status {};
    const std::uint64_t size = ::stat(path.c_str(), &status) == 0 ? status.st_size : 0;
    // A record takes at least two characters a value: room for all the file can hold, of
    // which only what the records fill is ever touched.
    const auto capacity = static_cast<std::size_t>(
        std::min<std::uint64_t>(kMaxRecords, size / (2 * kExchangeFields) + 1));
    // The spectrum of n records has FastFftLength(2n) / 2 values, at most this many.
    stride_ = std::max(capacity, FastFftLength(2 * capacity) / 2);
    cells_ = HugePageBlock(sizeof(double) * stride_ * kExchangeFields);
    double* const cells = cells_.As<double>();
    RecordForm form;
    form.headerLines = kExchangeHeaderLines;
    form.fieldsPerRecord = kExchangeFields;
    form.maxRecords = static_cast<std::int64_t>(capacity);
    const std::size_t stride = stride_;
    records_ = static_cast<std::int32_t>(ReadRecords(
        path, form, [cells, stride](std::int64_t first, const double* values, std::int64_t count) {
          for (std::int64_t i = 0; i < count; ++i) {
            const double* record = values + i * kExchangeFields;
            const std::size_t row = static_cast<std::size_t>(first - 1 + i);
            for (int c = 0; c < kExchangeFields; ++c) cells[c * stride + row] = record[c];
          }
        }));
  }

  std::int32_t records() const { return records_; }
  std::size_t stride() const { return stride_; }  // from one column to the next
  double* column(int c) { return cells_.As<double>() + static_cast<std::size_t>(c) * stride_; }

 private:
  std::size_t stride_ = 0;
  HugePageBlock cells_;
  std::int32_t records_ = 0;
};

// Channels are integrated on this many threads at most: each brings two transform buffers of
// 7 MB for the largest record, and the machines this runs on have two cores.
constexpr unsigned kMaxIntegrationThreads = 2;

// Integrators for the threads that share the channels: the first is the caller's, the others
// copies that share its plans and weights.
class ChannelWorkers {
 public:
  explicit ChannelWorkers(FftIntegrator& integrator) : first_(integrator) {
    const unsigned threads =
        std::clamp(std::thread::hardware_concurrency(), 1u, kMaxIntegrationThreads);
    for (unsigned i = 1; i < threads; ++i)
      copies_.push_back(std::make_unique<FftIntegrator>(integrator));
  }

  // Calls work(integrator, channel) for channels 1..40, each once, spread over the threads.
  // Returns the lowest channel for which work returned false, or 0. Throws EngineError
  // kInterrupted, having stopped handing out channels, when the job is interrupted.
  int ForEachChannel(const std::function<bool(FftIntegrator&, int)>& work) {
    std::atomic<int> nextChannel{1};
    std::atomic<int> lowestFailed{0};
    auto run = [&](FftIntegrator* integrator) {
      for (int channel = nextChannel++; channel <= kChannels; channel = nextChannel++) {
        if (InterruptionRequested()) return;  // the caller throws once the threads are joined
        if (work(*integrator, channel)) continue;
        int lowest = lowestFailed.load();
        while ((lowest == 0 || channel < lowest) &&
               !lowestFailed.compare_exchange_weak(lowest, channel)) {
        }
      }
    };
    std::vector<std::thread> helpers;
    for (auto& copy : copies_) helpers.emplace_back(run, copy.get());
    run(&first_);
    for (std::thread& helper : helpers) helper.join();
    ThrowIfInterrupted();
    return lowestFailed.load();
  }

 private:
  FftIntegrator& first_;
  std::vector<std::unique_ptr<FftIntegrator>> copies_;
};

bool AllFinite(const double* values, std::size_t count) {
  bool finite = true;
  for (std::size_t i = 0; i < count; ++i) finite &= std::isfinite(values[i]);
  return finite;
}

// Values near the double range pass the engine's rounding (up to about 1.8e304), yet their
// transform can pass the largest double, and the result then holds infinities and NaNs that
// no reader takes. Such a result is refused before anything is committed, instead of
// leaving "nan" in the files as if the job had succeeded.
void RefuseNonFinite(int channel, const std::string& inputPath) {
  if (channel == 0) return;
  throw DataError(DataErrorKind::kArithmetic,
                  "the integration of channel " + std::to_string(channel) +
                      "ch is not finite: its values are too large for the transform",
                  inputPath);
}

}  // namespace

IntegrationReport RunIntegration(const JobOptions& options) {
  const std::string inputPath = InFolder(options.folder, kExchangeCsv);
  const char* resultName =
      options.mode == IntegrationMode::kVelocity ? kVelocityResult : kDisplacementResult;

  RecordColumns columns(inputPath);
  const std::int32_t records = columns.records();
  if (records < 2) {
    throw DataError(
        DataErrorKind::kInput,
        "integration needs at least 2 records; this file holds " + std::to_string(records),
        inputPath);
  }
  IntegrationReport report;
  report.records = records;
  report.step = UniformTimeStep(columns.column(0), 1, records, inputPath, kExchangeHeaderLines + 1);

  const double nyquist = 0.5 / report.step;
  if (options.filter.highPassCorner >= nyquist) {
    throw DataError(DataErrorKind::kInput,
                    "the high-pass corner " + FormatNumber(options.filter.highPassCorner) +
                        " Hz lies at or above the record's Nyquist frequency " +
                        FormatNumber(nyquist) + " Hz, which would leave nothing",
                    inputPath);
  }

  FftIntegrator integrator(static_cast<std::size_t>(records), report.step, options.mode,
                           options.filter);
  report.fftLength = integrator.fftLength();
  const std::size_t frequencies = integrator.spectrumLength();
  ChannelWorkers workers(integrator);
  RefuseNonFinite(workers.ForEachChannel([&](FftIntegrator& worker, int channel) {
    worker.Integrate(columns.column(channel), 1, nullptr, 1);
    return AllFinite(columns.column(channel), static_cast<std::size_t>(records));
  }),
                  inputPath);

  // Each channel's integral has replaced its acceleration in its column.
  const double* times = columns.column(0);
  const double* firstChannel = columns.column(1);
  const std::size_t stride = columns.stride();
  ResultCsvFile result(InFolder(options.folder, resultName));
  result.WriteHeader("time");
  result.WriteRows(static_cast<std::size_t>(records), false, [=](std::size_t row) {
    return ResultRow{times[row], firstChannel + row, stride};
  });

  // Now each channel's spectrum replaces its integral.
  RefuseNonFinite(workers.ForEachChannel([&](FftIntegrator& worker, int channel) {
    double* column = columns.column(channel);
    worker.AmplitudeSpectrum(column, 1, column, 1);
    return AllFinite(column, frequencies);
  }),
                  inputPath);
  ResultCsvFile amplitude(InFolder(options.folder, kSpectrumResult));
  amplitude.WriteHeader("freq");
  const double df = integrator.frequencyStep();
  amplitude.WriteRows(frequencies, true, [=](std::size_t row) {
    return ResultRow{static_cast<double>(row + 1) * df, firstChannel + row, stride};
  });

  result.Commit();
  amplitude.Commit();
  return report;
}

}  // namespace accprep
