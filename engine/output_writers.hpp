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
#include <span>
#include <string>
#include <string_view>
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

  // Writes the matrix lines of rows first..first+count-1, without progress, from the lines a
  // channel CSV holds for them: `canonicalLines` as the record reader hands them on when they
  // are the writers' own (RecordLinesFn), with tabs for their commas where the matrix uses the
  // point (swapped where the lines lie); else, or when `canonicalLines` is empty, formatted
  // from `table`. For a matrix
  // written while its rows are read, whose progress its host learns of later.
  void WriteMatrixLines(std::span<char> canonicalLines, const SampleTable& table,
                        std::int32_t first, std::int32_t count);

  // Flushes, closes and renames the file into place. Afterwards all written text is in the
  // file under its final name.
  void CloseOutputFile();
  // Abandons the file open for output, if any: its temporary file is removed.
  void AbandonOutputFile() noexcept;
  bool HasOutputFile() const { return file_ != nullptr; }

  // Write failures in the functions above throw DataError kIo naming the final path and
  // the system's reason ("No space left on device"); the temporary file is then removed.

 private:
  void WriteRows(const SampleTable& table, std::int32_t first, std::int32_t last, char separator,
                 const NumberForm& form, const ProgressFn& progress);
  void PutHead(const std::optional<std::string>& comment);
  void Put(const char* text, std::size_t size);
  void Flush();
  // Writes `text` to the file; a failure abandons it.
  void Emit(std::string_view text);

  NumberForm matrixForm_;
  NumberForm pointForm_;
  std::unique_ptr<AtomicFile> file_;  // the file open for output, if any
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace accprep
