#pragma once
// The time step of a uniformly sampled record. The integration jobs and the response spectra
// both assume one step throughout, so both take it from here, under one rule and one message.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace accprep {

// Relative: room for times written with few decimals or accumulated in single precision, far
// below a dropped sample (100 %) or a change of sampling rate.
inline constexpr double kStepTolerance = 1e-3;

// The step of the `count` times at times[0], times[stride], ...: (last - first) / (count - 1),
// after checking that time increases from the first record to the second and that every
// step between neighbours lies within kStepTolerance of that first one. The first time stands
// on line `firstLine` of `file`, one record a line, which the messages name.
// Throws DataError kInput naming `file` and the line: fewer than two records, time that does
// not increase, or the first record whose step breaks the rule.
double UniformTimeStep(const double* times, std::size_t stride, std::int64_t count,
                       const std::string& file, std::int64_t firstLine);

inline double UniformTimeStep(std::span<const double> times, const std::string& file,
                              std::int64_t firstLine) {
  return UniformTimeStep(times.data(), 1, static_cast<std::int64_t>(times.size()), file, firstLine);
}

}  // namespace accprep
