#include "knet/knet_trace.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "engine/data_error.hpp"
#include "engine/interruption.hpp"
#include "engine/number_format.hpp"
#include "engine/read_only_file.hpp"
#include "engine/sample_table.hpp"
#include "knet/knet_component.hpp"

namespace accprep {
namespace {

// Hands out the lines of a text one at a time, without their LF or CR LF.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : rest_(text) {}

  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t end = rest_.find('\n');
    ended_ = end != std::string_view::npos;
    line = rest_.substr(0, end);
    rest_ = ended_ ? rest_.substr(end + 1) : std::string_view();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }
  std::int64_t number() const { return number_; }
  // Whether the line handed out last had its line end.
  bool ended() const { return ended_; }

 private:
  std::string_view rest_;
  std::int64_t number_ = 0;
  bool ended_ = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Duration Time is written in whole seconds (or decimals of one) and the rate in whole Hz: the
// product is a whole number of samples, give or take the rounding of a decimal duration.
constexpr double kSampleCountTolerance = 1e-6;

// Appends the counts of one data line to trace.gal and returns how many there were.
int ReadCounts(std::string_view line, std::int64_t lineNumber, KnetTrace& trace) {
  int counts = 0;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) return counts;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    const std::string_view text = line.substr(at, end - at);
    at = end;
    ++counts;
    if (counts > kCountsPerLine) {
      throw DataError(DataErrorKind::kInput, "more than 8 counts on a data line", trace.file,
                      lineNumber, counts);
    }
    // An optional minus and digits: from_chars alone would also take "-5" after a '+'.
    std::int64_t count = 0;
    const std::string_view digits = text.substr(text.front() == '-' ? 1 : 0);
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos ||
        error != std::errc() || stop != text.data() + text.size()) {
      throw DataError(DataErrorKind::kInput,
                      "count is not an integer: \"" + std::string(text) + "\"", trace.file,
                      lineNumber, counts);
    }
    if (trace.gal.size() == static_cast<std::size_t>(kMaxRecords)) {
      throw DataError(DataErrorKind::kCapacity, "trace longer than 450,000 samples", trace.file,
                      lineNumber, counts);
    }
    const double gal = trace.header.scale.Gal(count);
    if (!std::isfinite(gal)) {
      throw DataError(DataErrorKind::kInput,
                      "count " + std::string(text) +
                          " times the scale factor is beyond the "
                          "range of numbers",
                      trace.file, lineNumber, counts);
    }
    trace.gal.push_back(gal);
  }
}

}  // namespace

std::string KnetTrace::Name() const { return header.stationCode + " " + component; }

double KnetTrace::PeakAboutMean() const {
  double peak = 0.0;
  for (const double value : gal) peak = std::max(peak, std::abs(value - mean));
  return peak;
}

KnetTrace ParseKnetTrace(std::string_view text, const std::string& file) {
  KnetTrace trace;
  trace.file = file;
  trace.component = ComponentOfFile(file);

  LineCursor cursor(text);
  std::array<std::string_view, kKnetHeaderLines> headerLines;
  std::size_t headerCount = 0;
  while (headerCount < headerLines.size() && cursor.Next(headerLines[headerCount])) ++headerCount;
  trace.header = ParseKnetHeader(std::span(headerLines.data(), headerCount), file);
  CheckDirection(trace.component, trace.header.direction, file);

  // A line with fewer than 8 counts ends the data; one followed by more counts was cut.
  std::int64_t shortLine = 0;
  int shortCounts = 0;
  std::string_view line;
  while (cursor.Next(line)) {
    const int counts = ReadCounts(line, cursor.number(), trace);
    if (counts > 0 && shortLine > 0) {
      throw DataError(
          DataErrorKind::kInput,
          "data line cut short: " + std::to_string(shortCounts) + " counts where 8 belong", file,
          shortLine);
    }
    // The files end every line: a last count without its line end may be cut in two.
    if (counts > 0 && !cursor.ended()) {
      throw DataError(DataErrorKind::kInput, "the file ends inside a data line: it was cut short",
                      file, cursor.number());
    }
    if (counts < kCountsPerLine && shortLine == 0) {
      shortLine = cursor.number();
      shortCounts = counts;
    }
  }
  if (trace.gal.empty()) {
    throw DataError(DataErrorKind::kInput, "no counts after the 17 header lines", file,
                    kKnetHeaderLines + 1);
  }
  // A file cut after a whole line holds fewer samples than its header says.
  const double expected = trace.header.durationSeconds * trace.header.samplingHz;
  if (std::abs(static_cast<double>(trace.gal.size()) - expected) > kSampleCountTolerance) {
    throw DataError(DataErrorKind::kInput,
                    std::to_string(trace.gal.size()) + " samples where Duration Time " +
                        FormatNumber(trace.header.durationSeconds) + " s at " +
                        std::to_string(trace.header.samplingHz) + " Hz makes " +
                        FormatNumber(expected) + ": the file was cut short or its header is wrong",
                    file);
  }

  double sum = 0.0;
  for (const double value : trace.gal) sum += value;
  trace.mean = sum / static_cast<double>(trace.gal.size());
  return trace;
}

KnetTrace ReadKnetTrace(const std::string& path) {
  const ReadOnlyFile file(path);
  std::string text;
  char buffer[1 << 16];
  while (true) {
    const ssize_t got = ::read(file.descriptor(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno != EINTR)
        throw DataError(DataErrorKind::kIo, "cannot read the file: " + SystemReason(errno), path);
      ThrowIfInterrupted();
      continue;
    }
    text.append(buffer, static_cast<std::size_t>(got));
    if (text.size() > kMaxKnetFileBytes) {
      throw DataError(DataErrorKind::kInput,
                      "more than 16 MiB: larger than any K-NET or KiK-net file of up to "
                      "450,000 samples",
                      path);
    }
  }
  return ParseKnetTrace(text, path);
}

}  // namespace accprep
