#pragma once
// The record reader: fills the sample table from a text record file.
//
// Syntax: a given number of header lines, read whole and never looked at; then records of
// `fieldsPerRecord` numbers. Fields are separated by a comma (blanks or tabs may stand around
// it) or by a line end; LF and CR LF are both line ends. A number is a decimal number with an
// optional sign, decimal point and exponent ("-1.5", "+2", ".5", "3e-4").
//
// A record normally stands on one line, and may continue over several whole lines; it never
// begins or ends in the middle of a line. Blank lines start no record.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/sample_table.hpp"

namespace accprep {

// Receives the row count, as a single-precision number, once per successful read.
using ProgressMaximumFn = std::function<void(float maximum)>;

// Reads the record file at `path` into rows 1..n, columns 0..fieldsPerRecord-1 of `table` and
// returns n. Other cells are left as they are. headerLines is 1 or 2, fieldsPerRecord 41 or 43.
// As its last step before closing the file it calls progressMaximum(n); not on failure.
//
// Throws EngineError, naming the file and, where it applies, the line and the field:
//   kIo        the file cannot be opened or read (system reason);
//   kInput     a header line is missing; a field is empty, not a number or not finite (the
//              text found is quoted); a line holds more values than its record needs; the
//              file ends inside a record (how many of its values were read);
//   kCapacity  the 450,001st record begins; rows 1..450,000 then hold the first records.
// Records read before a failure stay in the table.
std::int32_t ReadRecord(SampleTable& table, const std::string& path, int headerLines,
                        int fieldsPerRecord, const ProgressMaximumFn& progressMaximum);

}  // namespace accprep
