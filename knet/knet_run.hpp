#pragma once
// What accprep-knet does once its command line is known: read the files, line them up, write
// the record, then report each trace.

#include <ostream>

#include "knet/knet_options.hpp"

namespace accprep {

// Reads options.files in order, assembles them and writes the record to options.output (or
// its default name). Then writes "RECORD: N records of T traces at F Hz" and TraceSummary to
// `report`. Throws DataError from any step; nothing is written when reading or lining up
// fails, and an output that is one of the files is refused before anything is read.
void AssembleKnetFiles(const KnetOptions& options, std::ostream& report);

}  // namespace accprep
