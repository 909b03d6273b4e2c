#pragma once
// Rows of the sample table written to several files from one formatting of each batch: the
// corrected acceleration goes to its matrix file, the public CSV and the exchange CSV this way,
// and no file is read back to make another. A batch is formatted once in the channel CSVs'
// form (point, commas); a matrix file takes that text with tabs for its commas, or, where the
// locale's separator is not the point, the batch formatted a second time in its own form.
//
// The files keep the order they were added in, as if each were written once the one before
// it was in place: the first file's progress is reported as its rows go out, a later file's
// when its turn comes (Finish). A later file that fails while the rows go out is set aside
// and written on its own at its turn, formatted again from the table, so that it fails or
// succeeds as it would have with the files before it in place; where the first file runs out
// of room, the later ones are set aside to give it theirs.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/atomic_file.hpp"
#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/output_writers.hpp"
#include "engine/sample_table.hpp"

namespace accprep {

class RowFanOut {
 public:
  enum class Form {
    kMatrix,      // tab-separated, the matrix form, no header (OutputWriter::WriteMatrixRows)
    kChannelCsv,  // the comment line if any, the header, comma-separated in the point form
  };

  // matrixForm is the number form of the matrix files; the channel CSVs always use a point.
  explicit RowFanOut(NumberForm matrixForm = NumberForm::FromEnvironment());
  // Abandons every file not in place: their temporary files are removed.
  ~RowFanOut();
  RowFanOut(const RowFanOut&) = delete;
  RowFanOut& operator=(const RowFanOut&) = delete;

  // Adds a file, created at once beside `path` (atomic_file.hpp); a channel CSV opens with
  // `comment` when one is given (an empty one is an empty line), then the header. The first
  // file's failure to be created is thrown (DataError); a later file's is kept for its Finish,
  // and no file added after it is created.
  void Add(const std::string& path, Form form,
           const std::optional<std::string>& comment = std::nullopt);

  // Writes rows 1..rowCount of `table` to every file, calling `progress` once per row before
  // the row goes out: the first file's progress. Throws the first file's failure (the others
  // are then abandoned too) and the interruption of the run; a later file's failure sets it
  // aside (see above).
  void WriteRows(const SampleTable& table, std::int32_t rowCount, const ProgressFn& progress);

  // Puts file `index` in place, once every file before it is (the first right after
  // WriteRows): reports the progress of its rows not yet reported, or writes it anew from
  // `table` with its progress where it was set aside. Throws what keeps it from being
  // complete: a failure to create, write, close or rename it, DataError naming it.
  void Finish(std::size_t index, const SampleTable& table, std::int32_t rowCount,
              const ProgressFn& progress);

 private:
  struct File {
    std::string path;
    Form form;
    std::optional<std::string> comment;
    std::unique_ptr<AtomicFile> output;   // while its rows go out
    std::optional<DataError> notCreated;  // kept for Finish
    bool setAside = false;                // to be written anew at its turn
    std::int32_t reported = 0;            // rows whose progress was reported
  };

  // Writes `text` to file `index`, making room for the first file where a later one takes
  // it; sets a later file aside when it fails; throws the first file's failure.
  void Write(std::size_t index, std::string_view text);
  // Sets file `index` and every file after it aside.
  void SetAside(std::size_t index) noexcept;
  bool Live(std::size_t index) const { return files_[index].output != nullptr; }

  NumberForm matrixForm_;
  std::vector<File> files_;
};

}  // namespace accprep
