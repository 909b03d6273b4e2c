// The spectra's speed and memory targets on a 450,000-record conversion, each beside the cost
// probe of the oscillator steps run in the same session (rsp_limit, built from
// ../shared/probes/rsp_limit.cpp with -O3 -march=native into build/bin/):
//
//   accprep-view --response   40 x 100 periods   within 1.5 x the probe, at most 250 MB
//   accprep-view --rotd       2 x 100 periods    within 0.5 x the probe
//   accprep-view --fas --smoothing ko:40         within 0.5 x the probe
//
// Each is a whole run of the built program, timed from its start to its end; the peak memory
// is its largest resident set (wait4). Counters: seconds, x_probe (its time over the probe's
// last), peak_MB, cpu_s. Two parts of --response are timed in the process as well, so that a
// change shows where it went: loading the 40 channels, and resampling them band-limited for
// the short periods (accprep_viewer_bench times the whole 40 x 100 spectra in the process).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "conversion_fixture.hpp"
#include "measures/band_limited_resampling.hpp"
#include "measures/response_spectrum.hpp"
#include "test_kit.hpp"
#include "viewer/acceleration_channels.hpp"

namespace {

using namespace accprep;

// The conversion's acceleration file, written once for all benchmarks.
struct BigConversion {
  accprep::testing::TemporaryFolder folder;
  std::string record;
  BigConversion() {
    accprep::testing::FixtureOptions options;
    options.records = 450000;
    options.accelerationOnly = true;
    record = accprep::testing::WriteConversionFixture(folder.path(), "big", options) + "_acc.csv";
  }
};
BigConversion& Big() {
  static BigConversion big;
  return big;
}

struct RunFigures {
  double seconds = 0;
  double cpuSeconds = 0;
  double peakMegabytes = 0;
  std::string out;
};

// Runs a program to its end with its standard output on a pipe.
RunFigures Run(const std::vector<std::string>& args) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  RunFigures figures;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    figures.out.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(args[0] + " failed");
  }
  figures.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 +
                       usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
  figures.peakMegabytes = usage.ru_maxrss / 1024.0;
  return figures;
}

std::string Program(const char* name) { return std::string(ACCPREP_PROGRAM_FOLDER) + "/" + name; }

double g_probeSeconds = 0;  // the probe's last own figure

// The yardstick: the probe prints the seconds its steps took.
void BM_Probe(benchmark::State& state) {
  Big();  // written before anything is timed
  if (!std::filesystem::exists(Program("rsp_limit"))) {
    state.SkipWithError("rsp_limit is not built (../shared/probes/rsp_limit.cpp not found)");
    return;
  }
  for (auto _ : state) {
    const RunFigures run = Run({Program("rsp_limit")});
    g_probeSeconds = std::stod(run.out);
    state.SetIterationTime(g_probeSeconds);
    state.counters["cpu_s"] = run.cpuSeconds;
  }
}
BENCHMARK(BM_Probe)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void Viewer(benchmark::State& state, std::vector<std::string> args) {
  const accprep::testing::TemporaryFolder out;
  args.insert(args.begin(), Program("accprep-view"));
  args.push_back(Big().record);
  for (std::string& arg : args) {
    if (arg == "OUT") arg = out.File("table.csv");
  }
  for (auto _ : state) {
    const RunFigures run = Run(args);
    state.SetIterationTime(run.seconds);
    state.counters["seconds"] = run.seconds;
    state.counters["cpu_s"] = run.cpuSeconds;
    state.counters["peak_MB"] = run.peakMegabytes;
    if (g_probeSeconds > 0) state.counters["x_probe"] = run.seconds / g_probeSeconds;
  }
}

void BM_Response40x100(benchmark::State& state) { Viewer(state, {"--response", "OUT"}); }
BENCHMARK(BM_Response40x100)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_RotD2x100(benchmark::State& state) { Viewer(state, {"--rotd", "OUT"}); }
BENCHMARK(BM_RotD2x100)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_FasKonnoOhmachi40(benchmark::State& state) {
  Viewer(state, {"--fas", "OUT", "--smoothing", "ko:40"});
}
BENCHMARK(BM_FasKonnoOhmachi40)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// Parts of --response in the process: loading the channels, and resampling each for the short
// periods (one resampler a thread, as the spectra do).
struct LoadedChannels {
  AccelerationChannels acc;
  LoadedChannels() {
    const std::vector<int> all = AllChannelNumbers();
    acc = LoadAccelerationChannels(FindConversionFiles(Big().record), all, "the bench needs");
  }
};
LoadedChannels& Loaded() {
  static LoadedChannels loaded;
  return loaded;
}

void BM_LoadChannels40(benchmark::State& state) {
  const std::vector<int> all = AllChannelNumbers();
  for (auto _ : state) {
    const AccelerationChannels acc =
        LoadAccelerationChannels(FindConversionFiles(Big().record), all, "the bench needs");
    benchmark::DoNotOptimize(acc.rows());
  }
}
BENCHMARK(BM_LoadChannels40)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ResampleShortPeriods40(benchmark::State& state) {
  const AccelerationChannels& acc = Loaded().acc;
  const std::vector<double> periods = ResponsePeriods();
  for (auto _ : state) {
    std::vector<std::jthread> threads;
    for (std::size_t first = 0; first < 2; ++first) {
      threads.emplace_back([&, first] {
        BandLimitedResampler resampler(static_cast<std::size_t>(acc.rows()));
        for (std::size_t c = first; c < acc.channels().size(); c += 2) {
          const ResampledRecord record(acc.channels()[c], acc.timeStep(), periods, &resampler);
          benchmark::DoNotOptimize(record.View(periods.front()).count);
        }
      });
    }
  }
}
BENCHMARK(BM_ResampleShortPeriods40)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
