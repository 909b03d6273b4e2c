#include "knet/sample_time.hpp"

#include <algorithm>
#include <charconv>

#include "engine/data_error.hpp"
#include "knet/knet_header.hpp"

namespace accprep {

SampleClock SampleClockFor(int samplingHz, const std::string& file) {
  std::int64_t scale = 1;
  for (int decimals = 0; decimals <= 9; ++decimals, scale *= 10) {
    if (scale % samplingHz == 0) return {decimals, scale / samplingHz};
  }
  throw DataError(
      DataErrorKind::kInput,
      "sampling interval 1/" + std::to_string(samplingHz) + " s has no exact decimal form", file,
      kSamplingLine);
}

char* FormatSampleTime(char* out, std::int64_t index, const SampleClock& clock) {
  // The ticks as digits, left-padded with zeros to one more digit than the decimals, then
  // the point set in: ticks 7 at 2 decimals give "007" and then "0.07".
  char digits[24];
  char* digitsEnd = std::to_chars(digits, digits + sizeof digits, index * clock.ticksPerSample).ptr;
  const int length = static_cast<int>(digitsEnd - digits);
  const int padded = std::max(length, clock.decimals + 1);
  char* at = out;
  for (int i = 0; i < padded; ++i) {
    if (i == padded - clock.decimals) *at++ = '.';
    const int fromDigits = i - (padded - length);
    *at++ = fromDigits < 0 ? '0' : digits[fromDigits];
  }
  return at;
}

}  // namespace accprep
