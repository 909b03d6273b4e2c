#pragma once
// The record reader: the one reader of the tool's number files (acceleration records, the
// exchange CSV, job results, the channel CSVs the viewer opens).
//
// Syntax: a given number of header lines, read whole and never looked at; then records of
// `fieldsPerRecord` numbers. Fields are separated by a comma (blanks or tabs may stand around
// it) or by a line end; LF and CR LF are both line ends. A number is a decimal number with an
// optional sign, decimal point and exponent ("-1.5", "+2", ".5", "3e-4").
//
// A record normally stands on one line, and may continue over several whole lines; it never
// begins or ends in the middle of a line. Blank lines start no record.
//
// Large files are parsed on two threads: each block is split at a line end and its second
// half parsed while the first is; the records still arrive in file order, and a record that
// crosses the split is read as one.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/sample_table.hpp"

namespace accprep {

// The longest header line a record may have, without its line end. The reader never looks at
// a header line, but it must find its end: an endless one (a device given as a record) is
// refused once it passes this.
inline constexpr std::size_t kMaxHeaderLineBytes = std::size_t{1} << 20;

// Receives the row count, as a single-precision number, once per successful read.
using ProgressMaximumFn = std::function<void(float maximum)>;

// Receives records in file order: `count` records of fieldsPerRecord values each, packed one
// after another, the first being record `first` (1-based). Called on the reading thread.
using RecordBatchFn =
    std::function<void(std::int64_t first, const double* values, std::int64_t count)>;

// Receives, after `count` records from record `first` on have been delivered, the lines they
// were read from when those are the writers' own: each record alone on its line, its fields
// separated by single commas with nothing around them, every line ending in CR LF, every
// number as FormatNumber writes it in the point form (IsCanonicalNumberText). The lines are
// then the rows' text as a channel CSV holds it, and a writer needs no number formatted again.
// Otherwise `canonicalLines` is empty and the records are to be formatted from their values.
// The lines are the receiver's to change until it returns (a matrix swaps their commas for
// tabs where they lie); the reader is done with them.
using RecordLinesFn =
    std::function<void(std::int64_t first, std::int64_t count, std::span<char> canonicalLines)>;

struct RecordForm {
  int headerLines = 0;
  int fieldsPerRecord = 0;  // 1..43
  // The record after this many begins a capacity error.
  std::int64_t maxRecords = kMaxRecords;
  // Called after each block with the bytes read so far, for a progress bar; may be empty.
  std::function<void(std::uint64_t bytes)> bytesRead;
  // When set, receives the lines of each batch of records delivered (see RecordLinesFn), on
  // the reading thread, in file order.
  RecordLinesFn lines;
  // Fields whose values the receiver does not use, bit f for field f (0-based); each reads as
  // 0. Where a line holds such fields with the ones after them, they are passed over by
  // their commas, unread: what they hold is not looked at, while the fields wanted are read
  // and checked as ever, and a line still must hold its record's fields. Ignored where
  // `lines` is set, whose check of the canonical form needs every value.
  std::uint64_t unusedFields = 0;
};

// Reads the file at `path` and hands its records to `deliver`; returns how many there are.
// Throws DataError, naming the file and, where it applies, the line and the field:
//   kIo        the file cannot be opened or read (system reason);
//   kInput     a header line is missing or longer than kMaxHeaderLineBytes; a line of more
//              than 64 MiB; a field is empty, not a number or not finite (the text found is
//              quoted); a line holds more values than its record needs; the file ends inside
//              a record (how many of its values were read);
//   kCapacity  record maxRecords + 1 begins;
// and ThrowIfInterrupted's error when the run is interrupted (interruption.hpp).
// The records before a failure have been delivered.
std::int64_t ReadRecords(const std::string& path, const RecordForm& form,
                         const RecordBatchFn& deliver);

// Reads the record file at `path` into rows 1..n, columns 0..fieldsPerRecord-1 of `table` and
// returns n. Other cells are left as they are. headerLines is 1 or 2, fieldsPerRecord 41 or 43.
// As its last step it calls progressMaximum(n); not on failure. Throws as ReadRecords does;
// past the table's capacity (the 450,001st record), rows 1..450,000 hold the first records.
// `lines`, when given, receives the lines of each batch once its rows are in the table (see
// RecordLinesFn).
std::int32_t ReadRecord(SampleTable& table, const std::string& path, int headerLines,
                        int fieldsPerRecord, const ProgressMaximumFn& progressMaximum,
                        const RecordLinesFn& lines = {});

}  // namespace accprep
