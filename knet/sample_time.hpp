#pragma once
// The time column of an assembled record: seconds from the record's start, with exactly the
// decimals the sampling interval needs (100 Hz: "0.00", "0.01", ...; 200 Hz: "0.005").
// Each time comes from its sample index in whole ticks, never from a running sum, so the
// last of 450,000 rows is as exact as the first.

#include <cstdint>
#include <string>

namespace accprep {

struct SampleClock {
  int decimals = 0;                 // digits after the point
  std::int64_t ticksPerSample = 1;  // the sampling interval in units of 10^-decimals s
};

// The clock of `samplingHz` (>= 1): the fewest decimals (at most 9) that hold 1/samplingHz
// exactly. Throws DataError kInput "sampling interval 1/N s has no exact decimal form"
// naming `file` when none does (N not of the form 2^a 5^b).
SampleClock SampleClockFor(int samplingHz, const std::string& file);

// Writes the time of sample `index` (>= 0) at `out` (at least 32 bytes) and returns the end.
char* FormatSampleTime(char* out, std::int64_t index, const SampleClock& clock);

}  // namespace accprep
