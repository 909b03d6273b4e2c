#include "jobs/integrate_run.hpp"

#include <cmath>
#include <memory>

#include "engine/engine_error.hpp"
#include "engine/integration_jobs.hpp"
#include "engine/number_format.hpp"
#include "engine/record_reader.hpp"
#include "jobs/fft_integrator.hpp"
#include "jobs/result_csv.hpp"

namespace accprep {
namespace {

// Steps differ from their text by the subtraction's rounding; nine digits show what was meant.
std::string Seconds(double value) {
  char text[kMaxNumberText];
  return std::string(text, FormatSignificant(text, value, 9, NumberForm::Point()));
}

// outacc.csv: one header line, then time and the 40 channels.
constexpr int kExchangeHeaderLines = 1;
constexpr int kExchangeFields = kWrittenColumns;

std::string InFolder(const std::string& folder, const char* name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

double UniformTimeStep(const SampleTable& table, std::int32_t records, const std::string& path) {
  const double first = table.at(1, 0);
  const double firstStep = table.at(2, 0) - first;
  if (!(firstStep > 0.0)) {
    throw EngineError(ErrorKind::kInput,
                      "the time does not increase from the first record to the second (" +
                          Seconds(first) + " s, then " + Seconds(table.at(2, 0)) +
                          " s)",
                      path, 3);
  }
  const double allowed = kStepTolerance * firstStep;
  double previous = table.at(2, 0);
  for (std::int32_t row = 3; row <= records; ++row) {
    const double time = table.row(row)[0];
    const double step = time - previous;
    if (!(std::fabs(step - firstStep) <= allowed)) {
      throw EngineError(ErrorKind::kInput,
                        "the time step is not uniform: " + Seconds(step) +
                            " s from the record before, where the record starts with steps of " +
                            Seconds(firstStep) + " s",
                        path, static_cast<std::int64_t>(row) + kExchangeHeaderLines);
    }
    previous = time;
  }
  return (previous - first) / static_cast<double>(records - 1);
}

IntegrationReport RunIntegration(const JobOptions& options) {
  const std::string inputPath = InFolder(options.folder, kExchangeCsv);
  const char* resultName =
      options.mode == IntegrationMode::kVelocity ? kVelocityResult : kDisplacementResult;

  auto table = std::make_unique<SampleTable>();
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
  report.step = UniformTimeStep(*table, records, inputPath);

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
  // Row-major by frequency, as amp3.csv is written. Left uninitialised: every cell is written
  // by the channel loop, and zeroing 150 MB would cost a pass of its own.
  std::unique_ptr<double[]> spectrum(new double[frequencies * kChannels]);

  // The channel's integral replaces its acceleration in the table: one channel's padded
  // buffer at a time is all the memory the transforms need.
  double* firstRow = table->row(1);
  for (int channel = 1; channel <= kChannels; ++channel) {
    integrator.Integrate(firstRow + channel, kTableColumns, spectrum.get() + (channel - 1),
                         kChannels);
  }

  ResultCsvFile result(InFolder(options.folder, resultName));
  result.WriteHeader("time");
  for (std::int32_t row = 1; row <= records; ++row) {
    const double* cells = firstRow + static_cast<std::size_t>(row - 1) * kTableColumns;
    result.WriteRow(cells[0], false, cells + 1, kChannels, 1);
  }

  ResultCsvFile amplitude(InFolder(options.folder, kSpectrumResult));
  amplitude.WriteHeader("freq");
  const double df = integrator.frequencyStep();
  for (std::size_t k = 1; k <= frequencies; ++k) {
    amplitude.WriteRow(static_cast<double>(k) * df, true, spectrum.get() + (k - 1) * kChannels,
                       kChannels, 1);
  }

  result.Commit();
  amplitude.Commit();
  return report;
}

}  // namespace accprep
