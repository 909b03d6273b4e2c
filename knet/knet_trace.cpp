#include "knet/knet_trace.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "engine/data_error.hpp"
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
    line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }
  std::int64_t number() const { return number_; }

 private:
  std::string_view rest_;
  std::int64_t number_ = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

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
    std::int64_t count = 0;
    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    const auto [stop, error] = std::from_chars(first, text.data() + text.size(), count);
    if (error != std::errc() || stop != text.data() + text.size()) {
      throw DataError(DataErrorKind::kInput,
                      "count is not an integer: \"" + std::string(text) + "\"", trace.file,
                      lineNumber, counts);
    }
    if (trace.gal.size() == static_cast<std::size_t>(kMaxRecords)) {
      throw DataError(DataErrorKind::kCapacity, "trace longer than 450,000 samples", trace.file,
                      lineNumber, counts);
    }
    trace.gal.push_back(trace.header.scale.Gal(count));
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
    if (counts < kCountsPerLine && shortLine == 0) {
      shortLine = cursor.number();
      shortCounts = counts;
    }
  }
  if (trace.gal.empty()) {
    throw DataError(DataErrorKind::kInput, "no counts after the 17 header lines", file,
                    kKnetHeaderLines + 1);
  }

  double sum = 0.0;
  for (const double value : trace.gal) sum += value;
  trace.mean = sum / static_cast<double>(trace.gal.size());
  return trace;
}

KnetTrace ReadKnetTrace(const std::string& path) {
  const auto fail = [&](int errorNumber) {
    return DataError(DataErrorKind::kIo, "cannot read the file: " + SystemReason(errorNumber),
                     path);
  };
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) throw fail(errno);
  std::string text;
  char buffer[1 << 16];
  while (true) {
    const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int errorNumber = errno;
      ::close(descriptor);
      throw fail(errorNumber);
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(descriptor);
  return ParseKnetTrace(text, path);
}

}  // namespace accprep
