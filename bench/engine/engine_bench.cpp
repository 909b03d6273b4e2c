// Engine throughput on a full-size record: 450,000 records of 43 values (about 180 MB),
// generated once into a temporary folder. Run with a warm file cache:
//   build/bin/accprep_engine_bench
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "engine/baseline.hpp"
#include "engine/number_format.hpp"
#include "engine/output_writers.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"

namespace accprep {
namespace {

// The generated record and its folder, made on first use and removed at exit.
struct FullRecord {
  std::filesystem::path folder;
  std::string path;
  std::int64_t bytes = 0;

  FullRecord() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "accprep-bench-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    path = (folder / "full-record.csv").string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fputs("generated record\r\ntime,channels\r\n", out);
    std::mt19937_64 random(5);
    std::normal_distribution<double> noise(-9.0, 25.0);
    char line[1024];
    for (int r = 0; r < kMaxRecords; ++r) {
      int used = std::snprintf(line, sizeof line, "%.2f", r * 0.01);
      for (int c = 1; c <= 42; ++c)
        used += std::snprintf(line + used, sizeof line - used, ",%.6f", noise(random));
      std::memcpy(line + used, "\r\n", 2);
      std::fwrite(line, 1, used + 2, out);
    }
    std::fclose(out);
    bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  }
  ~FullRecord() { std::filesystem::remove_all(folder); }
};

const FullRecord& Record() {
  static FullRecord record;
  return record;
}

void BM_ReadRecord(benchmark::State& state) {
  const FullRecord& record = Record();
  auto table = std::make_unique<SampleTable>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadRecord(*table, record.path, 2, 43, nullptr));
  }
  state.SetBytesProcessed(state.iterations() * record.bytes);
}

void BM_RemoveBaseline(benchmark::State& state) {
  auto loaded = std::make_unique<SampleTable>();
  const std::int32_t n = ReadRecord(*loaded, Record().path, 2, 43, nullptr);
  auto table = std::make_unique<SampleTable>();
  ChannelMeans means{};
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(table->row(0), loaded->row(0), sizeof(double) * kTableRows * kTableColumns);
    state.ResumeTiming();
    RemoveBaseline(*table, means, n);
  }
}

// Writes one file of the given kind from the corrected record; bytes are the output's.
template <bool kMatrix>
void BM_Write(benchmark::State& state) {
  auto table = std::make_unique<SampleTable>();
  ChannelMeans means{};
  const std::int32_t n = ReadRecord(*table, Record().path, 2, 43, nullptr);
  RemoveBaseline(*table, means, n);
  const std::string path = (Record().folder / (kMatrix ? "b_accmat.prn" : "s_acc.csv")).string();
  OutputWriter writer(NumberForm::Point());
  float last = 0;
  const ProgressFn progress = [&last](float row) { last = row; };
  for (auto _ : state) {
    writer.CreateOutputFile(path);
    if (kMatrix) {
      writer.WriteMatrixRows(*table, n, progress);
    } else {
      writer.WriteChannelCsv(*table, n, std::string("comment"), progress);
    }
    writer.CloseOutputFile();
  }
  benchmark::DoNotOptimize(last);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

BENCHMARK(BM_ReadRecord)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_RemoveBaseline)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Write<true>)
    ->Name("BM_WriteMatrixRows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_Write<false>)
    ->Name("BM_WriteChannelCsv")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace accprep

BENCHMARK_MAIN();
