#pragma once
// Traces assembled into one acceleration record: channel c (1-based) is the c-th trace, lined
// up in time by the traces' record times. The record runs from the earliest start to the
// latest end; outside its own span a trace stands at its mean, so that the conversion's
// baseline removal leaves zeros there.

#include <cstdint>
#include <string>
#include <vector>

#include "knet/knet_trace.hpp"
#include "knet/sample_time.hpp"

namespace accprep {

struct KnetRecord {
  std::vector<KnetTrace> traces;        // channel c is traces[c - 1]
  std::vector<std::int64_t> firstRows;  // the row (0-based) of each trace's first sample
  std::int64_t rows = 0;                // 1..450,000
  int samplingHz = 0;
  SampleClock clock;
  std::string startTime;  // record time of the earliest trace

  // The value of channel `channel` (1-based, a trace) at `row`: its sample, or its mean
  // outside its span.
  double Value(int channel, std::int64_t row) const;
};

// A record has 40 channels. Throws DataError kCapacity "more than 40 files: a record holds
// 40 channels" naming the 41st file.
void CheckFileCount(const std::vector<std::string>& files);

// Lines up `traces` (at least one). Throws DataError naming the file at fault:
//   kCapacity  as CheckFileCount; "the traces span N samples from the earliest record time,
//              more than 450,000" naming the trace that ends last;
//   kInput     "sampling frequency N Hz differs from the M Hz of <first file>" naming the
//              first trace that differs, line 11; as SampleClockFor.
KnetRecord AssembleRecord(std::vector<KnetTrace> traces);

}  // namespace accprep
