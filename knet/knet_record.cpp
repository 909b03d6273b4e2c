#include "knet/knet_record.hpp"

#include <algorithm>

#include "engine/data_error.hpp"
#include "engine/sample_table.hpp"

namespace accprep {

double KnetRecord::Value(int channel, std::int64_t row) const {
  const KnetTrace& trace = traces[static_cast<std::size_t>(channel - 1)];
  const std::int64_t sample = row - firstRows[static_cast<std::size_t>(channel - 1)];
  if (sample < 0 || sample >= static_cast<std::int64_t>(trace.gal.size())) return trace.mean;
  return trace.gal[static_cast<std::size_t>(sample)];
}

void CheckFileCount(const std::vector<std::string>& files) {
  if (files.size() <= static_cast<std::size_t>(kChannels)) return;
  throw DataError(DataErrorKind::kCapacity, "more than 40 files: a record holds 40 channels",
                  files[kChannels]);
}

KnetRecord AssembleRecord(std::vector<KnetTrace> traces) {
  std::vector<std::string> files;
  for (const KnetTrace& trace : traces) files.push_back(trace.file);
  CheckFileCount(files);

  KnetRecord record;
  const KnetTrace& first = traces.front();
  record.samplingHz = first.header.samplingHz;
  for (const KnetTrace& trace : traces) {
    if (trace.header.samplingHz != record.samplingHz) {
      throw DataError(DataErrorKind::kInput,
                      "sampling frequency " + std::to_string(trace.header.samplingHz) +
                          " Hz differs from the " + std::to_string(record.samplingHz) + " Hz of " +
                          first.file,
                      trace.file, kSamplingLine);
    }
  }
  record.clock = SampleClockFor(record.samplingHz, first.file);

  const auto earliest = std::min_element(
      traces.begin(), traces.end(),
      [](const auto& a, const auto& b) { return a.header.recordSecond < b.header.recordSecond; });
  record.startTime = earliest->header.recordTime;
  const std::int64_t startSecond = earliest->header.recordSecond;
  // Record times are whole seconds and the rate whole samples per second, so every trace
  // starts on a sample of the record.
  std::int64_t end = 0;
  const KnetTrace* endsLast = &first;
  for (const KnetTrace& trace : traces) {
    const std::int64_t firstRow = (trace.header.recordSecond - startSecond) * record.samplingHz;
    record.firstRows.push_back(firstRow);
    const std::int64_t traceEnd = firstRow + static_cast<std::int64_t>(trace.gal.size());
    if (traceEnd > end) {
      end = traceEnd;
      endsLast = &trace;
    }
  }
  if (end > kMaxRecords) {
    throw DataError(DataErrorKind::kCapacity,
                    "the traces span " + std::to_string(end) +
                        " samples from the earliest record time, more than 450,000",
                    endsLast->file);
  }
  record.rows = end;
  record.traces = std::move(traces);
  return record;
}

}  // namespace accprep
