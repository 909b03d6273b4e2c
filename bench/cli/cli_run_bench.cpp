// Times whole accprep-cli runs on a generated 450,000-record acceleration record (the table's
// capacity) with the shipped velocity and displacement jobs, and measures the peak memory of
// the run process and of the jobs.
//
// The programs are copied from build/bin/ into a temporary program folder with its own out/,
// so the run's exchange files never meet those of build/bin/. One untimed run warms the file
// cache; each timed run then reads, writes and replaces the same files.
//
// Where the time goes: the run's status lines are timestamped as they arrive, and the jobs'
// starts and ends are seen by the same sampling, so each run is broken down by step (reading,
// acceleration matrix, the two CSVs, each job, taking over its results, its matrix).
//
// Peak memory: wait4 gives the largest resident set of the run process and the jobs it
// waited for, taken together. To tell them apart, the benchmark also samples VmHWM (the
// process's own high-water mark, which only grows) of the run process and of each of its
// descendants every few milliseconds while the run goes on.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 450000;
constexpr int kChannels = 40;

std::string g_folder;  // the temporary program folder

// 450,000 records at 100 Hz: time, 40 channels in gal (a sensor offset, two sinusoids under
// a slow envelope, a little noise; six decimals as a recorder writes them), two trailing
// values; CR LF. About 190 MB.
void WriteRecord(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  std::vector<char> line(64 * 48);
  std::uint64_t noise = 20261208;
  std::fputs("generated acceleration record, 40 channels in gal, 100 Hz\r\n", file);
  std::fputs("time,channels 1..40,t1,t2\r\n", file);
  for (int i = 0; i < kRecords; ++i) {
    const double t = i * 0.01;
    char* at = line.data();
    at = std::to_chars(at, at + 32, t, std::chars_format::fixed, 2).ptr;
    const double envelope = std::sin(M_PI * i / (kRecords - 1));
    for (int c = 1; c <= kChannels; ++c) {
      noise = noise * 6364136223846793005ULL + 1442695040888963407ULL;
      const double jitter = double(noise >> 11) / double(1ULL << 53) - 0.5;
      const double value = (c % 9) - 9.0 +
                           envelope * (40.0 * std::sin(2 * M_PI * (0.3 + 0.1 * c) * t) +
                                       15.0 * std::sin(2 * M_PI * 4.7 * t + c)) +
                           0.05 * jitter;
      *at++ = ',';
      at = std::to_chars(at, at + 32, value, std::chars_format::fixed, 6).ptr;
    }
    at += std::snprintf(at, 32, ",%d,0.5\r\n", i % 7);
    std::fwrite(line.data(), 1, static_cast<std::size_t>(at - line.data()), file);
  }
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
}

void PrepareProgramFolder() {
  std::string pattern = (fs::temp_directory_path() / "accprep-cli-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  g_folder = pattern;
  const fs::path built = ACCPREP_PROGRAM_FOLDER;
  for (const char* name : {"accprep-cli", "fftvel.bat", "fftdis.bat", "accprep-integrate"}) {
    if (!fs::exists(built / name)) {
      throw std::runtime_error(std::string(name) + " is not built in " + built.string());
    }
    fs::copy_file(built / name, g_folder + "/" + name);
  }
  fs::create_directory(g_folder + "/out");
  fs::create_directory(g_folder + "/records");
  WriteRecord(g_folder + "/records/site1.csv");
}

// VmHWM of a process in bytes, 0 once it is gone.
long long HighWaterMark(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  }
  return 0;
}

// The children of every thread of `pid`, and theirs, depth first.
void Descendants(pid_t pid, std::vector<pid_t>& found) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* folder = ::opendir(tasks.c_str());
  if (folder == nullptr) return;
  while (const dirent* entry = ::readdir(folder)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream children(tasks + "/" + entry->d_name + "/children");
    pid_t child;
    while (children >> child) {
      found.push_back(child);
      Descendants(child, found);
    }
  }
  ::closedir(folder);
}

// Seconds from the start of the run to each event, in order.
struct Timeline {
  std::vector<std::pair<std::string, double>> captions;  // status lines
  std::vector<std::pair<double, double>> jobs;           // start and end of each job seen
};

struct RunFigures {
  Timeline timeline;
  double seconds = 0;
  double cpuSeconds = 0;
  long long runPeak = 0;   // the run process alone
  long long jobsPeak = 0;  // the largest of the jobs and the programs they start
  long long allPeak = 0;   // wait4: the run process and the jobs it waited for
  int exitCode = -1;
};

RunFigures RunOnce() {
  const std::string cli = g_folder + "/accprep-cli";
  int errorPipe[2];
  if (::pipe2(errorPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe failed");
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(devNull, STDOUT_FILENO);
    ::dup2(errorPipe[1], STDERR_FILENO);
    if (::chdir(g_folder.c_str()) != 0) ::_exit(126);
    ::execl(cli.c_str(), cli.c_str(), "--name", "bench", "--comment", "benchmark",
            "records/site1.csv", static_cast<char*>(nullptr));
    ::_exit(127);
  }

  ::close(errorPipe[1]);

  RunFigures figures;
  std::map<pid_t, long long> jobPeaks;
  int status = 0;
  rusage usage{};
  std::string pending;
  bool jobRunning = false;
  auto elapsed = [&start] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  auto readCaptions = [&] {
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(errorPipe[0], buffer, sizeof buffer)) > 0) {
      pending.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        figures.timeline.captions.emplace_back(pending.substr(0, end), elapsed());
        pending.erase(0, end + 1);
      }
    }
  };
  for (;;) {
    readCaptions();
    const pid_t ended = ::wait4(child, &status, WNOHANG, &usage);
    if (ended == child) break;
    if (ended < 0) throw std::runtime_error("wait4 failed");
    figures.runPeak = std::max(figures.runPeak, HighWaterMark(child));
    std::vector<pid_t> descendants;
    Descendants(child, descendants);
    for (const pid_t job : descendants) {
      jobPeaks[job] = std::max(jobPeaks[job], HighWaterMark(job));
    }
    if (!descendants.empty() && !jobRunning) figures.timeline.jobs.emplace_back(elapsed(), 0.0);
    if (descendants.empty() && jobRunning) figures.timeline.jobs.back().second = elapsed();
    jobRunning = !descendants.empty();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  readCaptions();
  ::close(errorPipe[0]);
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                       usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  figures.allPeak = static_cast<long long>(usage.ru_maxrss) * 1024;
  for (const auto& [job, peak] : jobPeaks) figures.jobsPeak = std::max(figures.jobsPeak, peak);
  figures.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return figures;
}

// The run's steps from its timeline: the status captions of a complete run are 読み込み中,
// 書き出し中, 公開データを作成, 書き出し中, 書き出し中, 終了; the jobs run between the third and
// the fourth, and the fourth and the fifth.
std::map<std::string, double> Steps(const Timeline& timeline) {
  std::vector<double> at;
  for (const auto& [caption, seconds] : timeline.captions) {
    if (caption == "読み込み中" || caption == "書き出し中" || caption == "公開データを作成" ||
        caption == "終了")
      at.push_back(seconds);
  }
  std::map<std::string, double> steps;
  if (at.size() != 6 || timeline.jobs.size() != 2) return steps;
  const auto& [velocityStart, velocityEnd] = timeline.jobs[0];
  const auto& [displacementStart, displacementEnd] = timeline.jobs[1];
  steps["1_read_s"] = at[1] - at[0];
  steps["2_acc_matrix_s"] = at[2] - at[1];
  steps["3_csvs_s"] = velocityStart - at[2];
  steps["4_vel_job_s"] = velocityEnd - velocityStart;
  steps["5_vel_take_over_s"] = at[3] - velocityEnd;
  steps["6_vel_matrix_s"] = displacementStart - at[3];
  steps["7_dis_job_s"] = displacementEnd - displacementStart;
  steps["8_dis_take_over_s"] = at[4] - displacementEnd;
  steps["9_dis_matrix_s"] = at[5] - at[4];
  return steps;
}

void BM_WholeRun450000Records(benchmark::State& state) {
  RunFigures worst;
  double totalSeconds = 0;
  std::map<std::string, double> stepTotals;
  for (auto _ : state) {
    const RunFigures run = RunOnce();
    if (run.exitCode != 0) {
      state.SkipWithError("accprep-cli did not end with exit code 0");
      return;
    }
    state.SetIterationTime(run.seconds);
    totalSeconds += run.seconds;
    for (const auto& [step, seconds] : Steps(run.timeline)) stepTotals[step] += seconds;
    worst.runPeak = std::max(worst.runPeak, run.runPeak);
    worst.jobsPeak = std::max(worst.jobsPeak, run.jobsPeak);
    worst.allPeak = std::max(worst.allPeak, run.allPeak);
    worst.cpuSeconds = std::max(worst.cpuSeconds, run.cpuSeconds);
  }
  constexpr double kMB = 1e6;
  state.counters["run_peak_MB"] = double(worst.runPeak) / kMB;
  state.counters["jobs_peak_MB"] = double(worst.jobsPeak) / kMB;
  state.counters["all_peak_MB"] = double(worst.allPeak) / kMB;
  state.counters["cpu_s"] = worst.cpuSeconds;
  state.counters["mean_s"] = totalSeconds / double(state.iterations());
  for (const auto& [step, seconds] : stepTotals)
    state.counters[step] = seconds / double(state.iterations());
}
BENCHMARK(BM_WholeRun450000Records)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  int exitCode = 0;
  try {
    PrepareProgramFolder();
    RunOnce();  // warms the file cache: the record and the programs
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "accprep_cli_bench: %s\n", error.what());
    exitCode = 1;
  }
  benchmark::Shutdown();
  std::error_code ignored;
  if (!g_folder.empty()) fs::remove_all(g_folder, ignored);
  return exitCode;
}
