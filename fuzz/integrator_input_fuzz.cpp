// Fuzzes what the integration job makes of its input: the input is outacc.csv, and one whole
// job run (read, time-step check, integration, result files) is made on it in a folder of
// its own, as accprep-integrate does with the default filter.
//
// An input the job's reading and time-step check accept goes through one whole job run, which
// must either fail with the one error type, leaving no result and no temporary file, or leave a
// velout.csv that the conversion run's reader takes whole: as many records as the input, the time
// column as it was read, every value finite, and an amp3.csv beside it.

#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/data_error.hpp"
#include "engine/integration_jobs.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"
#include "engine/time_step.hpp"
#include "fuzz/fuzz_check.hpp"
#include "jobs/integrate_run.hpp"
#include "jobs/job_options.hpp"

namespace {

std::string MakeFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/accprep-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) accprep::fuzz::Fail("mkdtemp", pattern);
  return pattern;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
    accprep::fuzz::Fail("cannot write", path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One folder for the whole session, emptied before each input and removed at a normal
  // exit; a failed check aborts and leaves it for a look.
  static const std::string folder = [] {
    static std::string made = MakeFolder();
    std::atexit([] {
      for (const std::string& name : Entries(made)) ::unlink((made + "/" + name).c_str());
      ::rmdir(made.c_str());
    });
    return made;
  }();
  static auto input = std::make_unique<accprep::SampleTable>();
  static auto output = std::make_unique<accprep::SampleTable>();
  const std::string inputPath = folder + "/" + accprep::kExchangeCsv;
  const std::string resultPath = folder + "/" + accprep::kVelocityResult;
  const std::string spectrumPath = folder + "/" + accprep::kSpectrumResult;
  for (const std::string& name : Entries(folder)) ::unlink((folder + "/" + name).c_str());
  WriteFile(inputPath, data, size);

  // The job's own first steps, on a table kept between inputs: most inputs end here, and the
  // job's run, which allocates its table afresh, is then spared for the ones that pass.
  std::int32_t records = 0;
  try {
    records = accprep::ReadRecord(*input, inputPath, 1, accprep::kWrittenColumns, nullptr);
    if (records >= 2)
      accprep::UniformTimeStep(input->row(1), accprep::kTableColumns, records, inputPath, 2);
  } catch (const accprep::DataError& error) {
    ACCPREP_FUZZ_CHECK(error.kind() == accprep::DataErrorKind::kInput ||
                           error.kind() == accprep::DataErrorKind::kCapacity,
                       error.what());
    return 0;
  }
  if (records < 2) return 0;

  accprep::JobOptions options;
  options.folder = folder;
  accprep::IntegrationReport report;
  try {
    report = accprep::RunIntegration(options);
  } catch (const accprep::DataError& error) {
    // Past the reading only the filter's bounds (kInput) and a transform that overflows
    // (kArithmetic) may refuse the record.
    ACCPREP_FUZZ_CHECK(error.kind() == accprep::DataErrorKind::kInput ||
                           error.kind() == accprep::DataErrorKind::kArithmetic,
                       error.what());
    const std::vector<std::string> left = Entries(folder);
    ACCPREP_FUZZ_CHECK(left.size() == 1 && left[0] == accprep::kExchangeCsv,
                       "a failed job left " + std::to_string(left.size()) + " files");
    return 0;
  }

  ACCPREP_FUZZ_CHECK(records == report.records, "the job counted other records than the reader");
  ACCPREP_FUZZ_CHECK(::access(spectrumPath.c_str(), F_OK) == 0, "no amp3.csv");
  std::int32_t resultRecords = 0;
  try {
    resultRecords = accprep::ReadRecord(*output, resultPath, 1, accprep::kWrittenColumns, nullptr);
  } catch (const accprep::DataError& error) {
    accprep::fuzz::Fail("the reader refuses the job's result", error.what());
  }
  ACCPREP_FUZZ_CHECK(
      resultRecords == records,
      std::to_string(resultRecords) + " result records for " + std::to_string(records));
  for (std::int32_t r = 1; r <= records; ++r) {
    const double* in = input->row(r);
    const double* out = output->row(r);
    ACCPREP_FUZZ_CHECK(std::memcmp(in, out, sizeof(double)) == 0,
                       "the time of record " + std::to_string(r) + " changed");
    for (int c = 1; c < accprep::kWrittenColumns; ++c)
      ACCPREP_FUZZ_CHECK(std::isfinite(out[c]), "record " + std::to_string(r) + ", channel " +
                                                    std::to_string(c) + " is not finite");
  }
  return 0;
}
