#pragma once
// Peak values of traces: the sample of largest absolute value and its time, the figures
// engineers quote first for a record (PGA, PGV, PGD) and for a building (peak floor motions,
// peak story drifts). One rule for every table that quotes a peak.

#include <cmath>
#include <span>

namespace accprep {

struct Peak {
  bool found = false;  // false for an empty trace
  double value = 0.0;  // the sample itself, sign kept: a peak of -312.5 gal stays negative
  double time = 0.0;
  long long index = 0;
};

// The search for the sample of largest absolute value, fed one sample at a time in order:
// on a tie the earliest sample wins, so +a before -a gives +a.
class PeakSearch {
 public:
  void Add(double value, double time) {
    const double magnitude = std::fabs(value);
    if (!peak_.found || magnitude > largest_) {  // strictly greater: the earliest stays
      peak_ = Peak{true, value, time, samples_};
      largest_ = magnitude;
    }
    ++samples_;
  }
  const Peak& peak() const { return peak_; }

 private:
  Peak peak_;
  double largest_ = 0.0;
  long long samples_ = 0;
};

// The peak of `values`, with times[index] as its time (`times` is as long as `values`).
Peak FindPeak(std::span<const double> values, std::span<const double> times);

}  // namespace accprep
