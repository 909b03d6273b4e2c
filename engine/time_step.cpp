#include "engine/time_step.hpp"

#include <cmath>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

// Steps differ from their text by the subtraction's rounding; nine digits show what was meant.
std::string Seconds(double value) {
  char text[kMaxNumberText];
  return std::string(text, FormatSignificant(text, value, 9, NumberForm::Point()));
}

}  // namespace

double UniformTimeStep(const double* times, std::size_t stride, std::int64_t count,
                       const std::string& file, std::int64_t firstLine) {
  if (count < 2) {
    throw DataError(
        DataErrorKind::kInput,
        "a time step needs at least 2 records; this file holds " + std::to_string(count), file);
  }
  const double first = times[0];
  const double second = times[stride];
  const double firstStep = second - first;
  if (!(firstStep > 0.0)) {
    throw DataError(DataErrorKind::kInput,
                    "the time does not increase from the first record to the second (" +
                        Seconds(first) + " s, then " + Seconds(second) + " s)",
                    file, firstLine + 1);
  }
  const double allowed = kStepTolerance * firstStep;
  double previous = second;
  for (std::int64_t i = 2; i < count; ++i) {
    const double time = times[static_cast<std::size_t>(i) * stride];
    const double step = time - previous;
    if (!(std::fabs(step - firstStep) <= allowed)) {
      throw DataError(DataErrorKind::kInput,
                      "the time step is not uniform: " + Seconds(step) +
                          " s from the record before, where the record starts with steps of " +
                          Seconds(firstStep) + " s",
                      file, firstLine + i);
    }
    previous = time;
  }
  return (previous - first) / static_cast<double>(count - 1);
}

}  // namespace accprep
