#pragma once
// One run of an integration job: reads outacc.csv from the job's folder, checks its time
// step, integrates the 40 channels and writes the result (velout.csv or disout.csv) and its
// amplitude spectrum (amp3.csv) into the same folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/sample_table.hpp"
#include "jobs/job_options.hpp"

namespace accprep {

struct IntegrationReport {
  std::int32_t records = 0;
  double step = 0.0;  // s
  std::size_t fftLength = 0;
};

// Throws EngineError: kIo / kInput / kCapacity from reading outacc.csv (file, line, field);
// kInput for fewer than 2 records, a time step that is not uniform (the first line where it
// is not), or a high-pass corner at or above the Nyquist frequency; kArithmetic for a channel
// whose integral or spectrum is not finite (values near the double range); kIo from writing. On
// failure neither result is put in place.
IntegrationReport RunIntegration(const JobOptions& options);

// The record's time step from rows 1..records (records >= 2) of column 0: (t_n - t_1)/(n - 1),
// after checking that every step between neighbouring rows lies within kStepTolerance of the
// first one. Throws EngineError kInput naming `path` and the line (row + 1, after the header)
// of the first record that breaks the rule.
double UniformTimeStep(const SampleTable& table, std::int32_t records, const std::string& path);

// Relative: room for times written with few decimals or accumulated in single precision, far
// below a dropped sample (100 %) or a change of sampling rate.
inline constexpr double kStepTolerance = 1e-3;

}  // namespace accprep
