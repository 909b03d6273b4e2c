#include "viewer/table_loader.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

constexpr std::uint64_t kProgressStep = 1 << 20;

// The file's bytes, mapped read-only for the duration of the load.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) throw EngineError(ErrorKind::kIo, SystemReason(errno), path);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
      const int error = errno;
      ::close(descriptor);
      throw EngineError(ErrorKind::kIo, SystemReason(error), path);
    }
    if (!S_ISREG(status.st_mode)) {
      ::close(descriptor);
      throw EngineError(ErrorKind::kIo, SystemReason(EISDIR), path);
    }
    size_ = static_cast<std::size_t>(status.st_size);
    if (size_ > 0) {
      void* data = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor, 0);
      if (data == MAP_FAILED) {
        const int error = errno;
        ::close(descriptor);
        throw EngineError(ErrorKind::kIo, SystemReason(error), path);
      }
      ::madvise(data, size_, MADV_SEQUENTIAL);
      data_ = static_cast<const char*>(data);
    }
    ::close(descriptor);
  }
  ~MappedFile() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view text() const { return {data_ == nullptr ? "" : data_, size_}; }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

struct LineError {
  std::int64_t line = 0;
  int field = 0;
  std::string reason;
};

std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return IsBlank(c) || c == '\r'; });
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

// Parses one record line into row `row` of `table`; returns the error, if any.
std::optional<LineError> ParseLine(std::string_view line, std::int64_t lineNumber,
                                   ChannelTable& table, std::int64_t row) {
  const char* p = line.data();
  const char* end = p + line.size();
  int field = 0;
  while (true) {
    while (p < end && IsBlank(*p)) ++p;
    const char* start = p;
    while (p < end && *p != ',' && !IsBlank(*p)) ++p;
    const std::string_view text(start, static_cast<std::size_t>(p - start));
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p != ',') {
      // Two numbers side by side without a comma between them.
      const char* comma = std::find(start, end, ',');
      return LineError{lineNumber, field + 1,
                       "not a number: " + Quoted(std::string_view(start, comma - start))};
    }
    if (field == kTableFileColumns) {
      return LineError{lineNumber, field + 1,
                       "more than " + std::to_string(kTableFileColumns) + " values on the line"};
    }
    const ParseResult parsed = ParseNumber(text);
    switch (parsed.error) {
      case ParseError::kNone: break;
      case ParseError::kEmpty: return LineError{lineNumber, field + 1, "empty field"};
      case ParseError::kNotANumber:
        return LineError{lineNumber, field + 1, "not a number: " + Quoted(text)};
      case ParseError::kNotFinite:
        return LineError{lineNumber, field + 1, "not a finite number: " + Quoted(text)};
    }
    table.column(field)[static_cast<std::size_t>(row)] = parsed.value;
    ++field;
    if (p == end) break;
    ++p;  // the comma
  }
  if (field < kTableFileColumns) {
    return LineError{lineNumber, 0,
                     std::to_string(field) + (field == 1 ? " value" : " values") +
                         " where a record has " +
                         std::to_string(kTableFileColumns)};
  }
  return std::nullopt;
}

struct Chunk {
  std::string_view text;        // whole lines
  std::int64_t firstLine = 0;   // line number of its first line
  std::int64_t firstRow = 0;    // row its first record goes to, if no blank line came before
  std::int64_t lines = 0;
  std::int64_t records = 0;     // after parsing
  std::optional<LineError> error;
  std::exception_ptr failure;
};

void ParseChunk(Chunk& chunk, ChannelTable& table, LoadProgress* progress) {
  try {
    std::string_view rest = chunk.text;
    std::int64_t lineNumber = chunk.firstLine;
    std::uint64_t unreported = 0;
    while (!rest.empty()) {
      const std::size_t newline = rest.find('\n');
      const std::size_t length = newline == std::string_view::npos ? rest.size() : newline;
      const std::string_view line = rest.substr(0, length);
      rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
      if (!IsBlankLine(line)) {
        chunk.error = ParseLine(WithoutCr(line), lineNumber, table, chunk.firstRow + chunk.records);
        if (chunk.error) return;
        ++chunk.records;
      }
      ++lineNumber;
      unreported += length + 1;
      if (progress != nullptr && unreported >= kProgressStep) {
        progress->fetch_add(unreported, std::memory_order_relaxed);
        unreported = 0;
      }
    }
    if (progress != nullptr) progress->fetch_add(unreported, std::memory_order_relaxed);
  } catch (...) {
    chunk.failure = std::current_exception();
  }
}

// Splits off the next line of `rest`; false when there is none.
bool TakeLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  const std::size_t newline = rest.find('\n');
  if (newline == std::string_view::npos) {
    line = rest;
    rest = {};
  } else {
    line = rest.substr(0, newline);
    rest.remove_prefix(newline + 1);
  }
  line = WithoutCr(line);
  return true;
}

bool LooksLikeHeader(std::string_view line) { return line.starts_with("\"time\","); }

}  // namespace

std::uint64_t FileSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return static_cast<std::uint64_t>(status.st_size);
}

ChannelTable LoadChannelTable(const std::string& path, HeaderForm header, LoadProgress* progress,
                              int threads) {
  const MappedFile file(path);
  std::string_view body = file.text();

  std::string_view first;
  if (!TakeLine(body, first)) {
    throw EngineError(ErrorKind::kInput, "the header line is missing", path, 1);
  }
  std::int64_t headerLines = 1;
  if (header == HeaderForm::kOptionalComment) {
    std::string_view peek = body;
    std::string_view second;
    const bool hasSecond = TakeLine(peek, second);
    if (!LooksLikeHeader(first) || (hasSecond && LooksLikeHeader(second))) {
      if (!hasSecond) throw EngineError(ErrorKind::kInput, "the header line is missing", path, 2);
      body = peek;
      headerLines = 2;
    }
  }
  if (progress != nullptr) progress->fetch_add(file.text().size() - body.size());

  // Cut the body into runs of whole lines, one per thread.
  const int chunkCount =
      body.size() < kProgressStep ? 1 : std::clamp(threads, 1, 64);
  std::vector<Chunk> chunks(static_cast<std::size_t>(chunkCount));
  std::size_t start = 0;
  for (int i = 0; i < chunkCount; ++i) {
    std::size_t stop = body.size();
    if (i + 1 < chunkCount) {
      stop = std::max(start, body.size() * (i + 1) / chunkCount);
      const std::size_t newline = body.find('\n', stop);
      stop = newline == std::string_view::npos ? body.size() : newline + 1;
    }
    chunks[i].text = body.substr(start, stop - start);
    start = stop;
  }
  std::int64_t lineNumber = headerLines + 1;
  std::int64_t rows = 0;
  for (Chunk& chunk : chunks) {
    chunk.lines = std::count(chunk.text.begin(), chunk.text.end(), '\n');
    if (!chunk.text.empty() && chunk.text.back() != '\n') ++chunk.lines;
    chunk.firstLine = lineNumber;
    chunk.firstRow = rows;
    lineNumber += chunk.lines;
    rows += chunk.lines;
  }

  ChannelTable table(rows);
  {
    std::vector<std::jthread> workers;
    for (std::size_t i = 1; i < chunks.size(); ++i) {
      workers.emplace_back([&chunks, &table, progress, i] { ParseChunk(chunks[i], table, progress); });
    }
    ParseChunk(chunks[0], table, progress);
  }
  for (const Chunk& chunk : chunks) {
    if (chunk.failure) std::rethrow_exception(chunk.failure);
    if (chunk.error) {
      throw EngineError(ErrorKind::kInput, chunk.error->reason, path, chunk.error->line,
                        chunk.error->field);
    }
  }

  // Blank lines left gaps at the ends of their chunks: close them up.
  std::int64_t kept = chunks[0].records;
  for (std::size_t i = 1; i < chunks.size(); ++i) {
    if (kept != chunks[i].firstRow) {
      for (int c = 0; c < kTableFileColumns; ++c) {
        double* base = table.column(c).data();
        std::memmove(base + kept, base + chunks[i].firstRow,
                     static_cast<std::size_t>(chunks[i].records) * sizeof(double));
      }
    }
    kept += chunks[i].records;
  }
  table.Shrink(kept);
  table.SetFirstLine(headerLines + 1);
  return table;
}

}  // namespace accprep
