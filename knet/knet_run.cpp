#include "knet/knet_run.hpp"

#include "engine/inputs_in_use.hpp"

#include "knet/knet_record.hpp"
#include "knet/record_output.hpp"
#include "knet/trace_summary.hpp"

namespace accprep {

void AssembleKnetFiles(const KnetOptions& options, std::ostream& report) {
  // Before reading anything: 41 files of half a million samples would be read for nothing.
  CheckFileCount(options.files);
  // The record is never written over one of the files it is made of.
  const InputsInUse inUse(options.files);
  if (!options.output.empty() && options.output != kStandardOutput)
    RefuseInputAsOutput(options.output);
  std::vector<KnetTrace> traces;
  for (const std::string& file : options.files) traces.push_back(ReadKnetTrace(file));
  const KnetRecord record = AssembleRecord(std::move(traces));

  const std::string destination =
      options.output.empty() ? DefaultRecordPath(record.traces.front()) : options.output;
  WriteRecord(record, destination);

  report << (destination == kStandardOutput ? "standard output" : destination) << ": "
         << record.rows << " records of " << record.traces.size() << " traces at "
         << record.samplingHz << " Hz\n"
         << TraceSummary(record);
}

}  // namespace accprep
