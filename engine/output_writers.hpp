#pragma once
// The writers of the output files: matrix files (41 tab-separated fields a line, no header,
// the locale's decimal separator) and channel CSVs (optional comment line, the quoted header
// "time","1ch",...,"40ch", 41 comma-separated fields a line, point as decimal separator).
// Both write rows 1..rowCount, columns 0..40, every line ending in CR LF.
//
// One output file is open at a time. It is written to a temporary file in the destination
// folder and renamed over its final name only by CloseOutputFile, so a failed write never
// leaves a half-written file under the final name, and an earlier file of that name stays
// intact until the new one is complete.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/number_format.hpp"
#include "engine/sample_table.hpp"

namespace accprep {

// Called once per data row with the row number, before anything of that row is written.
using ProgressFn = std::function<void(float row)>;

class OutputWriter {
 public:
  // matrixForm is the number form of the matrix files; the channel CSVs always use a point.
  explicit OutputWriter(NumberForm matrixForm = NumberForm::FromEnvironment());
  // Abandons a file that was created and not closed: its temporary file is removed.
  ~OutputWriter();
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // Opens `path` for output (a temporary file beside it, see above). The folder must exist;
  // none is created. Throws DataError kIo naming the path and the system's reason; throws
  // std::logic_error if a file is already open.
  void CreateOutputFile(const std::string& path);

  // Writes the matrix lines of rows 1..rowCount (none for rowCount <= 0).
  void WriteMatrixRows(const SampleTable& table, std::int32_t rowCount, const ProgressFn& progress);

  // Writes the comment line (only when a comment is given; an empty one writes an empty line),
  // the header line, then the data lines of rows 1..rowCount.
  void WriteChannelCsv(const SampleTable& table, std::int32_t rowCount,
                       const std::optional<std::string>& comment, const ProgressFn& progress);

  // The same file as WriteChannelCsv, for the rows of the matrix file at `matrixPath`, which
  // this writer wrote from `table` and closed: where the matrix's numbers use the point, its
  // text with commas for its tabs, so that no number is formatted twice; else formatted from
  // `table` again, as it is where the matrix went into a device or FIFO. Also throws
  // DataError kIo when the matrix file cannot be read back.
  void WriteChannelCsvOfMatrix(const std::string& matrixPath, const SampleTable& table,
                               std::int32_t rowCount, const std::optional<std::string>& comment,
                               const ProgressFn& progress);

  // The same file as WriteMatrixRows, for the records of the channel CSV at `csvPath` that the
  // record reader read into `table` and found written as the writers write them (RecordForm::
  // formatted): where the matrix uses the point, its data lines with tabs for commas; else
  // formatted from `table`. Also throws DataError kIo when the CSV cannot be read back.
  void WriteMatrixOfChannelCsv(const std::string& csvPath, int headerLines,
                               const SampleTable& table, std::int32_t rowCount,
                               const ProgressFn& progress);

  // Flushes, closes and renames the file into place. Afterwards all written text is in the
  // file under its final name.
  void CloseOutputFile();

  // Write failures in the functions above throw DataError kIo naming the final path and
  // the system's reason ("No space left on device"); the temporary file is then removed.

 private:
  void WriteRows(const SampleTable& table, std::int32_t rowCount, char separator,
                 const NumberForm& form, const ProgressFn& progress);
  void PutHead(const std::optional<std::string>& comment);
  // Copies the lines of `path` after its first `skipLines`, `from` replaced by `to`, calling
  // progress once per line before it goes out; the file must hold exactly rowCount of them.
  void CopyLinesReplacing(const std::string& path, int skipLines, char from, char to,
                          std::int32_t rowCount, const ProgressFn& progress);
  void Put(const char* text, std::size_t size);
  void Flush();
  void Discard() noexcept;

  NumberForm matrixForm_;
  NumberForm pointForm_;
  std::unique_ptr<AtomicFile> file_;  // the file open for output, if any
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace accprep
