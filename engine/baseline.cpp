#include "engine/baseline.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <thread>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

// What the floating-point status would show after an operation: overflow and division by
// zero leave an infinity, an invalid operation a NaN. Testing the result itself is exact and
// does not depend on the compiler keeping status flags in order.
enum class Fault {
  kNone,
  kOverflowInHalf,
  kInvalidInHalf,
  kDivisionByZero,
  kOverflowInDivision,
  kInvalidInDivision
};

// The rounding itself, in exactly the documented double operations; reports instead of
// throwing so that the baseline loop can stay tight.
inline double HalfAdjust(double dValue, double scale, Fault& fault) {
  double k;
  if (dValue > 0) {
    const double t = dValue * scale + 0.5;
    if (!std::isfinite(t)) fault = std::isnan(t) ? Fault::kInvalidInHalf : Fault::kOverflowInHalf;
    k = std::floor(t);
  } else {
    const double t = dValue * scale - 0.5;
    if (!std::isfinite(t)) fault = std::isnan(t) ? Fault::kInvalidInHalf : Fault::kOverflowInHalf;
    k = std::trunc(t);
  }
  if (fault != Fault::kNone) return 0.0;
  if (scale == 0.0) {
    fault = Fault::kDivisionByZero;
    return 0.0;
  }
  const double result = k / scale;
  if (!std::isfinite(result))
    fault = std::isnan(result) ? Fault::kInvalidInDivision : Fault::kOverflowInDivision;
  return result;
}

std::string Describe(Fault fault, double dValue) {
  const char* what = "";
  switch (fault) {
    case Fault::kOverflowInHalf:
      what = "floating-point overflow in the half adjustment";
      break;
    case Fault::kInvalidInHalf:
      what = "invalid floating-point operation in the half adjustment";
      break;
    case Fault::kDivisionByZero:
      what = "division by zero";
      break;
    case Fault::kOverflowInDivision:
      what = "floating-point overflow in the division";
      break;
    case Fault::kInvalidInDivision:
      what = "invalid floating-point operation in the division";
      break;
    case Fault::kNone:
      break;
  }
  return std::string(what) + " while rounding " + FormatNumber(dValue);
}

double Scale(std::int16_t iDigits) { return std::pow(10.0, static_cast<double>(iDigits)); }

// Below this many rows a second thread costs more than it saves.
constexpr std::int32_t kRowsForTwoThreads = 4096;
// A cell this close to its channel's mean or closer cannot fail to round: its product with
// 10^4 plus the half, and the quotient, stay far inside the double range.
constexpr double kSafeDistance = 1e300;

// Rounds rows first..last of every channel, where no cell can fail (see above).
void RoundRows(SampleTable& table, const ChannelMeans& means, std::int32_t first,
               std::int32_t last) {
  const double scale = Scale(kKeptDecimals);
  Fault fault = Fault::kNone;
  for (std::int32_t r = first; r <= last; ++r) {
    double* cells = table.row(r);
    for (int c = 1; c <= kChannels; ++c) cells[c] = HalfAdjust(cells[c] - means[c], scale, fault);
  }
}

}  // namespace

double ToHalfAdjust(double dValue, std::int16_t iDigits) {
  Fault fault = Fault::kNone;
  const double result = HalfAdjust(dValue, Scale(iDigits), fault);
  if (fault != Fault::kNone) throw DataError(DataErrorKind::kArithmetic, Describe(fault, dValue));
  return result;
}

// Channels do not depend on each other, and each cell sees the same operations in the same
// order whichever channel goes first: so the rows are walked once for all 40 channels at a
// time (the table is row-major) instead of 80 strided passes down single columns. Every sum is
// still the plain running sum of its channel in row order, and every result bit for bit the
// one of a channel-after-channel walk. Where no cell can fail, the rows are rounded in two
// halves on two threads. Otherwise a failure needs care: it is reported as the walk channel
// after channel would meet it first (see below).
void RemoveBaseline(SampleTable& table, ChannelMeans& means, std::int32_t n) {
  if (n <= 0)
    throw DataError(DataErrorKind::kArithmetic,
                    "no data rows: the record holds no records to average");
  double lowest[kTableColumns], highest[kTableColumns];
  for (int c = 1; c <= kChannels; ++c) {
    means[c] = 0.0;
    lowest[c] = highest[c] = table.row(1)[c];
  }
  for (std::int32_t r = 1; r <= n; ++r) {
    const double* cells = table.row(r);
    for (int c = 1; c <= kChannels; ++c) {
      means[c] = means[c] + cells[c];
      lowest[c] = std::min(lowest[c], cells[c]);
      highest[c] = std::max(highest[c], cells[c]);
    }
  }
  bool safe = true;
  for (int c = 1; c <= kChannels; ++c) {
    means[c] = means[c] / static_cast<double>(n);
    safe = safe && highest[c] - means[c] < kSafeDistance && means[c] - lowest[c] < kSafeDistance;
  }
  if (safe && n >= kRowsForTwoThreads) {
    std::thread helper(RoundRows, std::ref(table), std::cref(means), n / 2 + 1, n);
    RoundRows(table, means, 1, n / 2);
    helper.join();
    return;
  }

  const double scale = Scale(kKeptDecimals);
  Fault fault = Fault::kNone;
  for (std::int32_t r = 1; r <= n; ++r) {
    double* cells = table.row(r);
    for (int c = 1; c <= kChannels; ++c) {
      const double corrected = cells[c] - means[c];
      const double rounded = HalfAdjust(corrected, scale, fault);
      if (fault == Fault::kNone) {
        cells[c] = rounded;
        continue;
      }
      // Rows 1..r of every channel before c passed, and so did rows 1..r-1 of channel c. A
      // channel-after-channel walk would first fail in the lowest channel before c that fails
      // somewhere below row r (those cells are still as read), else here.
      for (int earlier = 1; earlier < c; ++earlier) {
        for (std::int32_t below = r + 1; below <= n; ++below) {
          const double value = table.row(below)[earlier] - means[earlier];
          Fault first = Fault::kNone;
          HalfAdjust(value, scale, first);
          if (first != Fault::kNone)
            throw DataError(DataErrorKind::kArithmetic, Describe(first, value) + " (row " +
                                                            std::to_string(below) + ", channel " +
                                                            std::to_string(earlier) + "ch)");
        }
      }
      cells[c] = corrected;
      throw DataError(DataErrorKind::kArithmetic, Describe(fault, corrected) + " (row " +
                                                      std::to_string(r) + ", channel " +
                                                      std::to_string(c) + "ch)");
    }
  }
}

}  // namespace accprep
