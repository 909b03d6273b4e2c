#include "engine/row_fan_out.hpp"

#include <algorithm>
#include <span>

#include "engine/channel_csv.hpp"
#include "engine/interruption.hpp"
#include "engine/row_text.hpp"

namespace accprep {

RowFanOut::RowFanOut(NumberForm matrixForm) : matrixForm_(std::move(matrixForm)) {}

RowFanOut::~RowFanOut() = default;  // each AtomicFile not committed removes its temporary

void RowFanOut::Add(const std::string& path, Form form, const std::optional<std::string>& comment) {
  const std::size_t index = files_.size();
  File& file = files_.emplace_back();
  file.path = path;
  file.form = form;
  file.comment = comment;
  // After a file that could not be created no other is: it would not have been, one by one.
  if (index > 0 && !Live(index - 1)) {
    file.setAside = true;
    return;
  }
  try {
    file.output = std::make_unique<AtomicFile>(path);
  } catch (const DataError& error) {
    if (index == 0) throw;
    file.notCreated = error;
    return;
  }
  if (form == Form::kChannelCsv) {
    std::string head;
    if (comment) head.append(*comment).append("\r\n");
    head += ChannelCsvHeader("time");
    Write(index, head);
  }
}

void RowFanOut::WriteRows(const SampleTable& table, std::int32_t rowCount,
                          const ProgressFn& progress) {
  const bool pointMatrix = matrixForm_.decimalSeparator == ".";
  bool csv = false;
  bool matrix = false;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!Live(i)) continue;
    (files_[i].form == Form::kChannelCsv ? csv : matrix) = true;
  }
  // The channel CSVs' text serves a matrix of a point locale too; another locale's matrix has
  // a form of its own.
  std::vector<FormatRowFn> forms;
  const NumberForm point = NumberForm::Point();
  if (csv || (matrix && pointMatrix)) {
    forms.emplace_back([&table, &point](std::int64_t row, char* out) {
      return FormatTableRow(out, table.row(static_cast<std::int32_t>(row)), ',', point);
    });
  }
  if (matrix && !pointMatrix) {
    forms.emplace_back([this, &table](std::int64_t row, char* out) {
      return FormatTableRow(out, table.row(static_cast<std::int32_t>(row)), '\t', matrixForm_);
    });
  }
  if (forms.empty()) return;
  FormatRowsInForms(1, rowCount, kTableRowRoom, forms,
                    [&](std::int64_t first, std::int64_t rows, std::span<const RowsText> texts) {
                      ThrowIfInterrupted();
                      if (progress) {
                        for (std::int64_t i = 0; i < rows; ++i)
                          progress(static_cast<float>(first + i));
                      }
                      files_.front().reported = static_cast<std::int32_t>(first + rows - 1);
                      // The channel CSVs first: a point locale's matrix then takes their text, its
                      // commas turned into tabs where it lies.
                      char* const csvText = texts[0].text;
                      const std::size_t csvSize = texts[0].lineEnds[rows - 1];
                      for (std::size_t i = 0; i < files_.size(); ++i) {
                        if (Live(i) && files_[i].form == Form::kChannelCsv)
                          Write(i, std::string_view(csvText, csvSize));
                      }
                      const RowsText& matrixText = pointMatrix ? texts[0] : texts.back();
                      if (pointMatrix) ReplaceBytes(csvText, csvText + csvSize, ',', '\t');
                      for (std::size_t i = 0; i < files_.size(); ++i) {
                        if (Live(i) && files_[i].form == Form::kMatrix)
                          Write(i,
                                std::string_view(matrixText.text, matrixText.lineEnds[rows - 1]));
                      }
                    });
}

void RowFanOut::Finish(std::size_t index, const SampleTable& table, std::int32_t rowCount,
                       const ProgressFn& progress) {
  File& file = files_.at(index);
  if (file.notCreated) throw *file.notCreated;
  if (file.setAside) {
    OutputWriter writer(matrixForm_);
    writer.CreateOutputFile(file.path);
    if (file.form == Form::kChannelCsv) {
      writer.WriteChannelCsv(table, rowCount, file.comment, progress);
    } else {
      writer.WriteMatrixRows(table, rowCount, progress);
    }
    writer.CloseOutputFile();
    file.setAside = false;
    return;
  }
  if (progress) {
    for (std::int32_t row = file.reported + 1; row <= rowCount; ++row) {
      progress(static_cast<float>(row));
    }
  }
  file.reported = rowCount;
  file.output->Commit();
  file.output.reset();
}

void RowFanOut::Write(std::size_t index, std::string_view text) {
  File& file = files_[index];
  std::size_t written = 0;
  int error = file.output->TryWrite(text, written);
  if (error == 0) return;
  if (index > 0) {
    SetAside(index);
    return;
  }
  const bool othersTakeRoom = std::any_of(files_.begin() + 1, files_.end(),
                                          [](const File& f) { return f.output != nullptr; });
  if (IsOutOfSpace(error) && othersTakeRoom) {
    SetAside(1);
    error = file.output->TryWrite(text, written);
    if (error == 0) return;
  }
  for (File& each : files_) each.output.reset();
  throw DataError::System(error, "cannot write the file", file.path);
}

void RowFanOut::SetAside(std::size_t index) noexcept {
  for (std::size_t i = index; i < files_.size(); ++i) {
    if (!files_[i].output) continue;
    files_[i].output.reset();
    files_[i].setAside = true;
  }
}

}  // namespace accprep
