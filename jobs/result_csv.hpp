#pragma once
// The result files of a job: velout.csv / disout.csv (time and the 40 channels of the
// integrated record) and amp3.csv (frequency and the 40 channels' amplitude spectra).
//
// Form, which the conversion run's reader relies on: one header line of 41 quoted names,
// "time" or "freq" first, then "1ch".."40ch"; then one line per row of 41 comma-separated
// numbers in the engine's point form, CR LF after every line.
//
// The file is written to a temporary file in the same folder and renamed over its final name
// only by Commit, so no half-written result ever stands under the final name; a file that is
// not committed is removed when the object goes.

#include <cstddef>
#include <string>
#include <vector>

namespace accprep {

inline constexpr int kResultDigits = 9;  // significant digits of every integrated value

class ResultCsvFile {
 public:
  // Creates the temporary file beside `finalPath`. Throws EngineError kIo naming finalPath
  // and the system's reason.
  explicit ResultCsvFile(std::string finalPath);
  ~ResultCsvFile();
  ResultCsvFile(const ResultCsvFile&) = delete;
  ResultCsvFile& operator=(const ResultCsvFile&) = delete;

  // "firstName","1ch",...,"40ch" CR LF
  void WriteHeader(const char* firstName);
  // first, then `count` values at values[0], values[stride], ... First is written in the
  // shortest form that reads back to the same double (a time stays as it was read); the
  // values with kResultDigits significant digits, or first too when firstRounded is set.
  void WriteRow(double first, bool firstRounded, const double* values, std::size_t count,
                std::size_t stride);
  // Flushes, closes and renames into place. Throws EngineError kIo.
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail(const std::string& what, int errorNumber);

  std::string finalPath_;
  std::string temporaryPath_;
  int descriptor_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace accprep
