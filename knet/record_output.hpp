#pragma once
// Where an assembled record goes: a file written atomically, or the standard output.

#include <string>

#include "knet/knet_record.hpp"

namespace accprep {

// The destination that means the standard output.
inline constexpr char kStandardOutput[] = "-";

// Beside the first trace's file, named from its station and record time:
// "dir/AOM0011801241951.EW" recorded 2018/01/24 19:51:43 gives
// "dir/AOM001_20180124195143.csv".
std::string DefaultRecordPath(const KnetTrace& first);

// Writes the record text to `destination` through an AtomicFile (which refuses a file this
// process reads, see inputs_in_use.hpp), or straight to the standard output for
// kStandardOutput. Throws DataError naming the destination ("standard output" for that) as
// AtomicFile does: kInput "the output would replace the input file <input>"; kIo, e.g.
// "cannot write the file: Broken pipe" when the reader of the standard output went away;
// and ThrowIfInterrupted's error.
void WriteRecord(const KnetRecord& record, const std::string& destination);

}  // namespace accprep
