// Fuzzes the record reader with both shapes it is used with: the acceleration record (two
// header lines, 43 fields a record) and a job result (one header line, 41 fields). The first
// byte of an input picks the shape; the rest is the file.
//
// Beyond not crashing, a read that succeeds must agree with an independent reading of the
// same bytes: the lines after the header, blank lines dropped, split at commas, each field
// trimmed of blanks and converted by strtod, give exactly the cells of rows 1..n in order,
// bit for bit. That holds the reader's fast paths to the careful one. A read that fails
// must say so with the one error type, naming the file; and read again with some fields not
// wanted, it must give the same records, the wanted fields unchanged.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/record_reader.hpp"
#include "engine/sample_table.hpp"
#include "fuzz/fuzz_check.hpp"

namespace {

using accprep::fuzz::MemoryFile;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The values of the file as the reader's contract describes them, or false if a field does
// not convert completely (which a successful read must never have met).
bool IndependentValues(const std::string& text, int headerLines, std::vector<double>& values) {
  std::size_t start = 0;
  int line = 0;
  while (start < text.size()) {
    std::size_t newline = text.find('\n', start);
    std::size_t end = newline == std::string::npos ? text.size() : newline;
    std::string content = text.substr(start, end - start);
    if (!content.empty() && content.back() == '\r') content.pop_back();
    start = newline == std::string::npos ? text.size() : newline + 1;
    if (++line <= headerLines) continue;
    if (content.find_first_not_of(" \t") == std::string::npos) continue;
    std::size_t fieldStart = 0;
    for (;;) {
      const std::size_t comma = content.find(',', fieldStart);
      std::size_t b = fieldStart;
      std::size_t e = comma == std::string::npos ? content.size() : comma;
      while (b < e && IsBlank(content[b])) ++b;
      while (e > b && IsBlank(content[e - 1])) --e;
      const std::string field = content.substr(b, e - b);
      if (field.empty()) return false;
      char* parsedEnd = nullptr;
      const double value = std::strtod(field.c_str(), &parsedEnd);
      if (parsedEnd != field.c_str() + field.size()) return false;
      values.push_back(value);
      if (comma == std::string::npos) break;
      fieldStart = comma + 1;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("record");
  // Allocated once: its zeroed pages cost nothing until a record touches them.
  static auto table = std::make_unique<accprep::SampleTable>();
  if (size == 0) return 0;
  const bool acceleration = (data[0] & 1) == 0;
  const int headerLines = acceleration ? 2 : 1;
  const int fields = acceleration ? 43 : 41;
  file.Replace(data + 1, size - 1);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  int maximumCalls = 0;
  float maximum = -1.0f;
  std::int32_t rows = 0;
  // The batches handed on with their lines: first record, count, lines.
  struct Batch {
    std::int64_t first;
    std::int64_t count;
    std::string lines;
  };
  std::vector<Batch> batches;
  try {
    rows = accprep::ReadRecord(
        *table, file.path(), headerLines, fields,
        [&](float value) {
          ++maximumCalls;
          maximum = value;
        },
        [&](std::int64_t first, std::int64_t count, std::span<char> lines) {
          batches.push_back({first, count, std::string(lines.begin(), lines.end())});
        });
  } catch (const accprep::DataError& error) {
    ACCPREP_FUZZ_CHECK(error.kind() == accprep::DataErrorKind::kInput ||
                           error.kind() == accprep::DataErrorKind::kCapacity,
                       error.what());
    ACCPREP_FUZZ_CHECK(error.file() == file.path(), error.what());
    ACCPREP_FUZZ_CHECK(!error.reason().empty(), "an error without a reason");
    ACCPREP_FUZZ_CHECK(maximumCalls == 0, "progress maximum reported by a failed read");
    return 0;
  }

  ACCPREP_FUZZ_CHECK(rows >= 0 && rows <= accprep::kMaxRecords, std::to_string(rows));
  ACCPREP_FUZZ_CHECK(maximumCalls == 1 && maximum == static_cast<float>(rows),
                     "progress maximum is not the row count");
  std::vector<double> expected;
  ACCPREP_FUZZ_CHECK(IndependentValues(text, headerLines, expected),
                     "a read succeeded on a field strtod does not take whole");
  ACCPREP_FUZZ_CHECK(
      expected.size() == static_cast<std::size_t>(rows) * fields,
      std::to_string(expected.size()) + " values for " + std::to_string(rows) + " records");
  for (std::int32_t r = 1; r <= rows; ++r) {
    for (int c = 0; c < fields; ++c) {
      const double cell = table->at(r, static_cast<std::int16_t>(c));
      const double want = expected[static_cast<std::size_t>(r - 1) * fields + c];
      ACCPREP_FUZZ_CHECK(std::isfinite(cell), "a non-finite value was stored");
      ACCPREP_FUZZ_CHECK(std::memcmp(&cell, &want, sizeof cell) == 0,
                         "row " + std::to_string(r) + ", column " + std::to_string(c));
    }
  }
  for (int c = 0; c < accprep::kTableColumns; ++c)
    ACCPREP_FUZZ_CHECK(table->at(0, static_cast<std::int16_t>(c)) == 0.0, "row 0 was written");

  // The batches cover the records in order, and lines handed on are exactly the rows as the
  // writers write them: a matrix file may be made of them.
  std::int64_t next = 1;
  for (const Batch& batch : batches) {
    ACCPREP_FUZZ_CHECK(batch.first == next && batch.count > 0, "batches out of order");
    next += batch.count;
    if (batch.lines.empty()) continue;
    std::string rowsText;
    for (std::int64_t r = batch.first; r < batch.first + batch.count; ++r) {
      for (int c = 0; c < fields; ++c) {
        if (c > 0) rowsText += ',';
        rowsText += accprep::FormatNumber(
            table->at(static_cast<std::int32_t>(r), static_cast<std::int16_t>(c)));
      }
      rowsText += "\r\n";
    }
    ACCPREP_FUZZ_CHECK(batch.lines == rowsText,
                       "lines handed on are not the rows as the writers write them");
  }
  ACCPREP_FUZZ_CHECK(next == rows + 1, "the batches do not cover the records");

  // Read again with some fields not wanted (chosen by the input's length): the same records,
  // the wanted fields' values bit for bit and the others 0.
  accprep::RecordForm form;
  form.headerLines = headerLines;
  form.fieldsPerRecord = fields;
  form.unusedFields = (0x9E3779B97F4A7C15ULL * size) & ((std::uint64_t{1} << fields) - 1);
  std::vector<double> some;
  const std::int64_t again = accprep::ReadRecords(
      file.path(), form, [&](std::int64_t, const double* values, std::int64_t count) {
        some.insert(some.end(), values, values + count * fields);
      });
  ACCPREP_FUZZ_CHECK(again == rows, "fields not wanted changed the records read");
  for (std::size_t i = 0; i < some.size(); ++i) {
    const bool wanted = ((form.unusedFields >> (i % fields)) & 1) == 0;
    const double want = wanted ? expected[i] : 0.0;
    ACCPREP_FUZZ_CHECK(std::memcmp(&some[i], &want, sizeof want) == 0,
                       "field " + std::to_string(i % fields) + " read with fields not wanted");
  }
  return 0;
}
