#pragma once
// The result files of a job: velout.csv / disout.csv (time and the 40 channels of the
// integrated record) and amp3.csv (frequency and the 40 channels' amplitude spectra).
//
// Form, which the conversion run's reader relies on: one header line of 41 quoted names,
// "time" or "freq" first, then "1ch".."40ch"; then one line per row of 41 comma-separated
// numbers in the engine's point form, CR LF after every line.
//
// The file is written through the engine's atomic file: no half-written result ever stands
// under the final name, and a file that is not committed is removed when the object goes.

#include <cstddef>
#include <functional>
#include <string>

#include "engine/atomic_file.hpp"

namespace accprep {

// One line of a result: the first value (time or frequency) and the 40 channel values at
// values[0], values[stride], ...
struct ResultRow {
  double first = 0.0;
  const double* values = nullptr;
  std::size_t stride = 1;
};
using ResultRowSource = std::function<ResultRow(std::size_t row)>;

class ResultCsvFile {
 public:
  // Creates the temporary file beside `finalPath`. Throws DataError kIo naming finalPath
  // and the system's reason.
  explicit ResultCsvFile(std::string finalPath);
  ResultCsvFile(const ResultCsvFile&) = delete;
  ResultCsvFile& operator=(const ResultCsvFile&) = delete;

  // "firstName","1ch",...,"40ch" CR LF
  void WriteHeader(const char* firstName);
  // Writes rows 0..count-1 of `rowAt`. The first value is written in the shortest form that
  // reads back to the same double (a time stays as it was read), or, when firstRounded is
  // set, with 9 significant digits like the 40 channel values (the engine's
  // FormatSignificant). Rows are formatted on two threads and written in order.
  void WriteRows(std::size_t count, bool firstRounded, const ResultRowSource& rowAt);
  // Flushes, closes and renames into place. Throws DataError kIo.
  void Commit();

 private:
  AtomicFile file_;
};

}  // namespace accprep
