#include "engine/record_reader.hpp"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "engine/engine_error.hpp"
#include "engine/interruption.hpp"
#include "engine/number_format.hpp"

namespace accprep {
namespace {

// The fuzz build shrinks the block to a few bytes, so that lines crossing the end of a block
// and the growing of the block for a long line are reached by small inputs.
#ifndef ACCPREP_READER_BLOCK_SIZE
#define ACCPREP_READER_BLOCK_SIZE (4 << 20)
#endif
constexpr std::size_t kBlockSize = ACCPREP_READER_BLOCK_SIZE;
// Bytes kept free after the data, so that the number parser may read eight bytes at a time
// past the end of a line.
constexpr std::size_t kPadding = 16;
// A quoted field in a message is cut to this many characters.
constexpr std::size_t kQuoteLimit = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Quote(const char* begin, const char* end) {
  std::string text(begin, std::min<std::size_t>(end - begin, kQuoteLimit));
  if (static_cast<std::size_t>(end - begin) > kQuoteLimit) text += "...";
  return "\"" + text + "\"";
}

// Hands out the lines of a file one by one, reading it in large blocks. A line is given
// without its line end (LF or CR LF); the last line may lack one.
class LineSource {
 public:
  LineSource(const std::string& path) : path_(path), buffer_(kBlockSize + kPadding) {
    do {
      descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0)
      throw EngineError(ErrorKind::kIo, "cannot open the file: " + SystemReason(errno), path);
  }
  ~LineSource() { ::close(descriptor_); }
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  bool Next(const char*& begin, const char*& end) {
    for (;;) {
      char* const data = buffer_.data();
      if (void* found = std::memchr(data + start_, '\n', filled_ - start_)) {
        char* newline = static_cast<char*>(found);
        begin = data + start_;
        end = (newline > begin && newline[-1] == '\r') ? newline - 1 : newline;
        start_ = newline - data + 1;
        return true;
      }
      if (atEnd_) {
        if (start_ == filled_) return false;
        begin = data + start_;
        end = data + filled_;
        if (end > begin && end[-1] == '\r') --end;
        start_ = filled_;
        return true;
      }
      Refill();
    }
  }

 private:
  void Refill() {
    ThrowIfInterrupted();
    // Keep the unfinished line, then fill up the rest of the block; a line longer than the
    // block grows it (once per such line, never per record).
    const std::size_t rest = filled_ - start_;
    std::memmove(buffer_.data(), buffer_.data() + start_, rest);
    start_ = 0;
    filled_ = rest;
    if (filled_ == buffer_.size() - kPadding) buffer_.resize(buffer_.size() * 2 + kPadding);
    for (;;) {
      const ssize_t got =
          ::read(descriptor_, buffer_.data() + filled_, buffer_.size() - kPadding - filled_);
      if (got > 0) {
        filled_ += static_cast<std::size_t>(got);
        return;
      }
      if (got == 0) {
        atEnd_ = true;
        return;
      }
      if (errno != EINTR)
        throw EngineError(ErrorKind::kIo, "cannot read the file: " + SystemReason(errno), path_);
    }
  }

  const std::string& path_;
  int descriptor_ = -1;
  std::vector<char> buffer_;
  std::size_t start_ = 0;
  std::size_t filled_ = 0;
  bool atEnd_ = false;
};

// Short plain decimals ("-12.3456", "0.01", "7") are nearly every field of a record. With at
// most 15 digits the digits form an exact integer m below 2^53 and 10^d is exact, so the one
// correctly rounded division m / 10^d is the nearest double to the decimal: the same value
// from_chars gives. Returns the end of the number, or nullptr for anything else (exponents,
// more digits, no digits), which goes to from_chars.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int kMaxExactDigits = 15;

// Eight bytes at once: how many of them, from the first, are digits (0..8), and their value.
// Digits are found by the classic bit test (a byte is a digit when neither adding 0x46 nor
// taking away 0x30 sets its high bit); the value by folding digit pairs, quads and octets.
inline int LeadingDigits(std::uint64_t bytes) {
  const std::uint64_t nonDigit =
      ((bytes + 0x4646464646464646ULL) | (bytes - 0x3030303030303030ULL)) &
      0x8080808080808080ULL;
  return nonDigit == 0 ? 8 : __builtin_ctzll(nonDigit) / 8;
}

inline std::uint64_t DigitsValue(std::uint64_t bytes, int count) {
  std::uint64_t digits = bytes - 0x3030303030303030ULL;
  if (count < 8) digits <<= 8 * (8 - count);  // the first digits become the most significant
  digits = digits * 10 + (digits >> 8);
  return (((digits & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
          (((digits >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >>
         32;
}

// Reads a run of digits into mantissa; `p` may look up to 8 bytes past `end` (the line
// source keeps that much padding), but only digits before `end` count.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& mantissa,
                              int& digits) {
  for (;;) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    int count = LeadingDigits(bytes);
    if (count > end - p) count = static_cast<int>(end - p);
    if (count == 0) return p;
    static constexpr std::uint64_t kScale[] = {1,      10,      100,      1000,     10000,
                                               100000, 1000000, 10000000, 100000000};
    digits += count;
    if (digits > kMaxExactDigits) return p;  // too long for the exact path; caller gives up
    mantissa = mantissa * kScale[count] + DigitsValue(bytes, count);
    p += count;
    if (count < 8) return p;
  }
}

inline const char* ParseShortDecimal(const char* p, const char* end, double& value) {
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::uint64_t mantissa = 0;
  int digits = 0;
  p = ReadDigits(p, end, mantissa, digits);
  int decimals = 0;
  if (digits <= kMaxExactDigits && p < end && *p == '.') {
    const int before = digits;
    p = ReadDigits(p + 1, end, mantissa, digits);
    decimals = digits - before;
  }
  if (digits == 0 || digits > kMaxExactDigits) return nullptr;
  if (p < end && (*p == 'e' || *p == 'E')) return nullptr;
  const double magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  value = negative ? -magnitude : magnitude;
  return p;
}

// The careful path for a field the fast path did not take: the whole field up to the next
// comma, trimmed, through ParseNumber, which says what is wrong with it. Sets `next` to the
// comma or the line end after the field.
double ParseField(const std::string& path, std::int64_t lineNumber, int fieldInLine,
                  const char* p, const char* end, const char*& next) {
  const char* comma = static_cast<const char*>(std::memchr(p, ',', end - p));
  next = comma != nullptr ? comma : end;
  const char* textEnd = next;
  while (textEnd > p && IsBlank(textEnd[-1])) --textEnd;
  const ParseResult parsed = ParseNumber(std::string_view(p, textEnd - p));
  if (parsed.error == ParseError::kNone) return parsed.value;
  std::string reason = parsed.error == ParseError::kEmpty       ? "empty field"
                       : parsed.error == ParseError::kNotFinite ? "value is not finite: "
                                                                : "not a number: ";
  if (parsed.error != ParseError::kEmpty) reason += Quote(p, textEnd);
  throw EngineError(ErrorKind::kInput, reason, path, lineNumber, fieldInLine);
}

}  // namespace

std::int32_t ReadRecord(SampleTable& table, const std::string& path, int headerLines,
                        int fieldsPerRecord, const ProgressMaximumFn& progressMaximum) {
  if (fieldsPerRecord < 1 || fieldsPerRecord > kTableColumns || headerLines < 0)
    throw std::invalid_argument("ReadRecord: fields per record must lie in 1..43");

  LineSource lines(path);
  const char* begin = nullptr;
  const char* end = nullptr;
  std::int64_t lineNumber = 0;
  for (int h = 1; h <= headerLines; ++h) {
    if (!lines.Next(begin, end))
      throw EngineError(ErrorKind::kInput,
                        "the file ends before header line " + std::to_string(h), path);
    ++lineNumber;
  }

  std::int32_t rowCount = 0;
  double* row = nullptr;
  int filledFields = 0;  // fields of the current record read so far; 0 between records
  std::int64_t recordLine = 0;
  while (lines.Next(begin, end)) {
    ++lineNumber;
    const char* p = begin;
    while (p < end && IsBlank(*p)) ++p;
    if (p == end) continue;  // a blank line holds no field and starts no record

    for (int fieldInLine = 1;; ++fieldInLine) {
      // p is at the start of a field, past its leading blanks.
      if (filledFields == 0) {
        if (rowCount == kMaxRecords)
          throw EngineError(ErrorKind::kCapacity,
                            "more than 450000 records: record 450001 does not fit the sample "
                            "table",
                            path, lineNumber);
        row = table.row(++rowCount);
        recordLine = lineNumber;
      }
      // Fast path: a plain number followed by blanks, a comma or the line end. Anything else
      // (a plus sign, junk, a value out of range) goes to the careful path for its message.
      double value = 0.0;
      const char* q = ParseShortDecimal(p, end, value);
      bool plain = q != nullptr;
      if (!plain) {
        const auto parsed = std::from_chars(p, end, value, std::chars_format::general);
        q = parsed.ptr;
        plain = parsed.ec == std::errc() && std::isfinite(value);
      }
      while (q < end && IsBlank(*q)) ++q;
      plain = plain && (q == end || *q == ',');
      if (!plain) value = ParseField(path, lineNumber, fieldInLine, p, end, q);
      row[filledFields++] = value;

      const bool lineGoesOn = q < end;
      if (filledFields == fieldsPerRecord) {
        filledFields = 0;
        if (lineGoesOn)
          throw EngineError(ErrorKind::kInput,
                            "the line holds more values than its record needs (" +
                                std::to_string(fieldsPerRecord) +
                                "); a record must not begin in the middle of a line",
                            path, lineNumber, fieldInLine + 1);
      }
      if (!lineGoesOn) break;
      p = q + 1;
      while (p < end && IsBlank(*p)) ++p;
    }
  }
  if (filledFields != 0)
    throw EngineError(ErrorKind::kInput,
                      "the file ends inside record " + std::to_string(rowCount) +
                          " (begun on line " + std::to_string(recordLine) + "): " +
                          std::to_string(filledFields) + " of " +
                          std::to_string(fieldsPerRecord) + " values read",
                      path);
  if (progressMaximum) progressMaximum(static_cast<float>(rowCount));
  return rowCount;
}

}  // namespace accprep
