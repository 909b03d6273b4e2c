#pragma once
// Where an assembled record goes: a file written atomically, or the standard output.

#include <string>
#include <vector>

#include "knet/knet_record.hpp"

namespace accprep {

// The destination that means the standard output.
inline constexpr char kStandardOutput[] = "-";

// Beside the first trace's file, named from its station and record time:
// "dir/AOM0011801241951.EW" recorded 2018/01/24 19:51:43 gives
// "dir/AOM001_20180124195143.csv".
std::string DefaultRecordPath(const KnetTrace& first);

// Writes the record text to `destination` through an AtomicFile, or to the standard output for
// kStandardOutput. A destination that is one of `inputs` (the same file by any path) is
// refused before anything is written. Throws DataError naming the destination:
//   kRefused  "the record would replace its input file <input>";
//   kIo       as AtomicFile; "cannot write the standard output: <reason>".
void WriteRecord(const KnetRecord& record, const std::string& destination,
                 const std::vector<std::string>& inputs);

}  // namespace accprep
