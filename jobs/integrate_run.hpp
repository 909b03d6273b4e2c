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

// Throws DataError: kIo / kInput / kCapacity from reading outacc.csv (file, line, field);
// kInput for fewer than 2 records, a time step that is not uniform (the first line where it
// is not), or a high-pass corner at or above the Nyquist frequency; kArithmetic for a channel
// whose integral or spectrum is not finite (values near the double range); kIo from writing;
// kInterrupted when a signal asks (between channels, blocks read and blocks written). On
// failure neither result is put in place.
IntegrationReport RunIntegration(const JobOptions& options);

}  // namespace accprep
