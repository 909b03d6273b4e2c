// The integration jobs at the largest record the table holds: 450,000 records of 40 channels
// (75 minutes at 100 Hz) in outacc.csv. Target: each job in under 1.3 s including reading and
// writing, peak memory under 400 MB. The job benchmarks run the built accprep-integrate as the
// conversion run would and report the child's peak resident memory.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/baseline.hpp"
#include "engine/conversion_names.hpp"
#include "engine/number_format.hpp"
#include "engine/output_writers.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"
#include "jobs/fft_integrator.hpp"

extern char** environ;

namespace accprep {
namespace {

constexpr std::int32_t kRecords = kMaxRecords;
constexpr double kStep = 0.01;

// outacc.csv as a run writes it, generated once: each channel a few sinusoids of its own under
// a slow envelope, rounded to four decimals, so the file has the text length of real data.
class ExchangeFolder {
 public:
  ExchangeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "accprep-bench-jobs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    auto table = std::make_unique<SampleTable>();
    for (std::int32_t row = 1; row <= kRecords; ++row) {
      const double t = (row - 1) * kStep;
      double* cells = table->row(row);
      cells[0] = ToHalfAdjust(t, 2);
      const double envelope = std::sin(M_PI * (row - 1) / (kRecords - 1));
      for (int c = 1; c <= kChannels; ++c) {
        const double a = 40.0 * std::sin(2 * M_PI * (0.3 + 0.17 * c) * t) +
                         15.0 * std::sin(2 * M_PI * (4.1 + 0.05 * c) * t + c);
        cells[c] = ToHalfAdjust(envelope * a, kKeptDecimals);
      }
    }
    OutputWriter writer(NumberForm::Point());
    writer.CreateOutputFile(path_ + "/outacc.csv");
    writer.WriteChannelCsv(*table, kRecords, std::nullopt, [](float) {});
    writer.CloseOutputFile();
  }
  ~ExchangeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const ExchangeFolder& Folder() {
  static const ExchangeFolder folder;
  return folder;
}

// Runs accprep-integrate MODE FOLDER and returns its peak resident memory in MB.
double RunJob(const char* mode) {
  std::string program = ACCPREP_PROGRAM_FOLDER "/accprep-integrate";
  std::string modeText = mode;
  std::string folder = Folder().path();
  char* arguments[] = {program.data(), modeText.data(), folder.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, arguments, environ) != 0)
    throw std::runtime_error("cannot start " + program);
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(program + " failed");
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

void JobBenchmark(benchmark::State& state, const char* mode) {
  Folder();
  double peak = 0.0;
  for (auto _ : state) {
    // A run finds no results of an earlier one: it deletes them when it is done.
    state.PauseTiming();
    for (const char* result : {kVelocityResult, kDisplacementResult, kSpectrumResult})
      std::filesystem::remove(InFolder(Folder().path(), result));
    state.ResumeTiming();
    peak = std::max(peak, RunJob(mode));
  }
  state.counters["peak_MB"] = peak;
  state.counters["records"] = kRecords;
}

void BM_VelocityJob(benchmark::State& state) { JobBenchmark(state, "velocity"); }
void BM_DisplacementJob(benchmark::State& state) { JobBenchmark(state, "displacement"); }
BENCHMARK(BM_VelocityJob)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DisplacementJob)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The transforms alone, per channel of the largest record: what the job spends besides
// reading and writing text.
void BM_IntegrateOneChannel(benchmark::State& state) {
  FftIntegrator integrator(kRecords, kStep, IntegrationMode::kVelocity, FilterSettings{});
  std::vector<double> samples(kRecords), spectrum(integrator.spectrumLength());
  for (auto _ : state) {
    state.PauseTiming();
    for (std::int32_t i = 0; i < kRecords; ++i) samples[i] = std::sin(0.01 * i);
    state.ResumeTiming();
    integrator.Integrate(samples.data(), 1, spectrum.data(), 1);
    benchmark::DoNotOptimize(spectrum.data());
  }
  state.counters["fft_length"] = static_cast<double>(integrator.fftLength());
}
BENCHMARK(BM_IntegrateOneChannel)->Unit(benchmark::kMillisecond);

// Reading outacc.csv with the engine's reader, the part of the job's time that is not ours.
void BM_ReadExchangeCsv(benchmark::State& state) {
  const std::string path = Folder().path() + "/outacc.csv";
  auto table = std::make_unique<SampleTable>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadRecord(*table, path, 1, kWrittenColumns, [](float) {}));
  }
}
BENCHMARK(BM_ReadExchangeCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

// One value's nine-digit text, as the results write it (the fast exact path), against the
// general conversion alone, on values like those of a velocity record.
std::vector<double> ResultLikeValues() {
  std::vector<double> values(1 << 16);
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] =
        std::sin(0.37 * static_cast<double>(i)) * std::pow(10.0, static_cast<double>(i % 7) - 4);
  return values;
}

void BM_FormatSignificantGeneral(benchmark::State& state) {
  const std::vector<double> values = ResultLikeValues();
  const NumberForm point = NumberForm::Point();
  char text[kMaxNumberText];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(detail::FormatSignificantExact(text, values[i++ & 0xffff], 9, point));
  }
}
BENCHMARK(BM_FormatSignificantGeneral);

void BM_EngineFormatSignificant(benchmark::State& state) {
  const std::vector<double> values = ResultLikeValues();
  const NumberForm point = NumberForm::Point();
  char text[kMaxNumberText];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatSignificant(text, values[i++ & 0xffff], 9, point));
  }
}
BENCHMARK(BM_EngineFormatSignificant);

}  // namespace
}  // namespace accprep

BENCHMARK_MAIN();
