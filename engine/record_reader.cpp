#include "engine/record_reader.hpp"

#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "engine/data_error.hpp"
#include "engine/huge_pages.hpp"
#include "engine/interruption.hpp"
#include "engine/line_blocks.hpp"
#include "engine/number_format.hpp"
#include "engine/ordered_pipeline.hpp"
#include "engine/read_only_file.hpp"

namespace accprep {
namespace {

// The fuzz build shrinks the chunk to a few bytes, so that lines crossing the end of a chunk
// are reached by small inputs.
#ifndef ACCPREP_READER_CHUNK_SIZE
#define ACCPREP_READER_CHUNK_SIZE (1 << 20)
#endif
// A regular file is parsed in chunks of about this size on two threads; a handover costs next
// to nothing against parsing this much, and the chunks in flight stay a few MB.
constexpr std::uint64_t kChunkSize = ACCPREP_READER_CHUNK_SIZE;
// Bytes kept free after the data, so that the number parser may read eight bytes at a time
// past the end of a line.
constexpr std::size_t kPadding = kLinePadding;
// A quoted field in a message is cut to this many characters.
constexpr std::size_t kQuoteLimit = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Quote(const char* begin, const char* end) {
  std::string text(begin, std::min<std::size_t>(end - begin, kQuoteLimit));
  if (static_cast<std::size_t>(end - begin) > kQuoteLimit) text += "...";
  return "\"" + text + "\"";
}

// Short plain decimals ("-12.3456", "0.01", "7") are nearly every field of a record. With at
// most 15 digits the digits form an exact integer m below 2^53 and 10^d is exact, so the one
// correctly rounded division m / 10^d is the nearest double to the decimal: the same value
// from_chars gives. Returns the end of the number, or nullptr for anything else (exponents,
// more digits, no digits), which goes to from_chars.
constexpr int kMaxExactDigits = 15;

// Eight bytes at once: how many of them, from the first, are digits (0..8), and their value.
// Digits are found by the classic bit test (a byte is a digit when neither adding 0x46 nor
// taking away 0x30 sets its high bit); the value by folding digit pairs, quads and octets.
// Both are the SWAR eight-digit parse of fast_float (is_made_of_eight_digits_fast and
// parse_eight_digits_unrolled; D. Lemire, "Number Parsing at a Gigabyte per Second",
// Software: Practice and Experience 51(8), 2021), here also counting the digits of a shorter
// run.
inline int LeadingDigits(std::uint64_t bytes) {
  const std::uint64_t nonDigit =
      ((bytes + 0x4646464646464646ULL) | (bytes - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
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

// Why a run of lines could not be read: what ReadRecords turns into a DataError once the
// line numbers of the run are known.
struct Failure {
  std::string reason;
  std::int64_t line = 0;
  int field = 0;
  // The line where the record being read began, when the failure lies inside one: a record
  // that begins past the capacity is a capacity error before anything else.
  std::optional<std::int64_t> recordLine;
};

// The careful path for a field the fast path did not take: the whole field up to the next
// comma, trimmed, through ParseNumber, which says what is wrong with it. Sets `next` to the
// comma or the line end after the field; nullopt and `reason` when it is no number.
std::optional<double> ParseField(const char* p, const char* end, const char*& next,
                                 std::string& reason) {
  const char* comma = static_cast<const char*>(std::memchr(p, ',', end - p));
  next = comma != nullptr ? comma : end;
  const char* textEnd = next;
  while (textEnd > p && IsBlank(textEnd[-1])) --textEnd;
  const ParseResult parsed = ParseNumber(std::string_view(p, textEnd - p));
  if (parsed.error == ParseError::kNone) return parsed.value;
  reason = parsed.error == ParseError::kEmpty       ? "empty field"
           : parsed.error == ParseError::kNotFinite ? "value is not finite: "
                                                    : "not a number: ";
  if (parsed.error != ParseError::kEmpty) reason += Quote(p, textEnd);
  return std::nullopt;
}

// The records of one run of lines, parsed on one thread.
struct ParsedRun {
  // Complete records, then the record being read; grown by doubling, never cleared: a run is
  // reused for chunk after chunk, and what it holds beyond `used` is written before it is read.
  std::unique_ptr<double[]> values;
  std::size_t capacity = 0;
  std::size_t used = 0;             // doubles of complete records
  std::vector<std::int64_t> lines;  // the line each complete record began on
  // The record still being read at the end of the run: its values, count and first line.
  double partial[kTableColumns] = {};
  int partialFields = 0;
  std::int64_t partialLine = 0;
  std::int64_t lastLine = 0;  // number of the run's last line
  std::optional<Failure> failure;
  // Every line so far was written as the channel-CSV writer writes it (see ReadRecords).
  bool formatted = true;

  std::int64_t records() const { return static_cast<std::int64_t>(lines.size()); }
  void Restart() {
    used = 0;
    lines.clear();
    failure.reset();
    formatted = true;
  }
  // The record begun with NewRow is complete; it began on `line`.
  void CloseRecord(int fields, std::int64_t line) {
    used += static_cast<std::size_t>(fields);
    lines.push_back(line);
  }
  double* NewRow(int fields) {
    if (used + fields > capacity) Grow(fields);
    return values.get() + used;
  }
  void Grow(int fields) {
    const std::size_t larger = std::max<std::size_t>(capacity * 2, 4096 * fields);
    std::unique_ptr<double[]> grown(new double[larger]);
    AdviseHugePages(grown.get(), larger * sizeof(double));
    // Called as a record begins: the complete records are all there is to keep.
    if (used > 0) std::memcpy(grown.get(), values.get(), used * sizeof(double));
    values = std::move(grown);
    capacity = larger;
  }
};

// How ParseLines reads a record: its fields, whether the lines' canonical form is looked
// for, and, for each field, how many fields not wanted begin there (RecordForm::unusedFields).
struct LineForm {
  int fields = 0;
  bool checkFormatted = false;
  bool someUnused = false;
  std::array<std::uint8_t, 64> unusedRun{};
};

// The place of the count-th comma of [p, end) (count >= 1), or null where there are fewer:
// sixteen bytes at a time, as memchr looks.
const char* NthComma(const char* p, const char* end, int count) {
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma)));
    const int found = __builtin_popcount(mask);
    if (found >= count) {
      for (int i = 1; i < count; ++i) mask &= mask - 1;
      return p + __builtin_ctz(mask);
    }
    count -= found;
  }
#endif
  for (; p < end; ++p) {
    if (*p == ',' && --count == 0) return p;
  }
  return nullptr;
}

// Passes over the `run` fields not wanted that begin at p, the `filled`-th of a record of
// `fields`, where the line holds them: to the comma after them, or to the line's end where
// they close the record and the line holds exactly them. Null where it cannot tell (fewer
// fields on the line, more than the record needs): the walk reads them then.
const char* PassOver(const char* p, const char* end, int filled, int run, int fields) {
  if (filled + run < fields) return NthComma(p, end, run);
  // The record's last fields: run - 1 commas on the line and none after them.
  const char* last = p;
  if (run > 1) {
    const char* comma = NthComma(p, end, run - 1);
    if (comma == nullptr) return nullptr;
    last = comma + 1;
  }
  return std::memchr(last, ',', static_cast<std::size_t>(end - last)) == nullptr ? end : nullptr;
}

// Parses the whole lines of [text, textEnd), the first being line `firstLine`, continuing the
// record `run` holds as partial. Stops at the first failure. With `kSomeUnused`, fields not
// wanted are passed over where the line holds them; without, the walk has no test of it.
template <bool kSomeUnused>
void ParseLinesOf(const char* text, const char* textEnd, std::int64_t firstLine,
                  const LineForm& form, ParsedRun& run) {
  const int fields = form.fields;
  const bool checkFormatted = form.checkFormatted;
  int filled = run.partialFields;
  std::int64_t recordLine = run.partialLine;
  double* row = nullptr;
  if (filled > 0) {
    row = run.NewRow(fields);
    std::memcpy(row, run.partial, sizeof(double) * filled);
  }
  bool formatted = checkFormatted && run.formatted && filled == 0;
  std::int64_t lineNumber = firstLine - 1;
  const char* lineStart = text;
  while (lineStart < textEnd) {
    const char* newline =
        static_cast<const char*>(std::memchr(lineStart, '\n', textEnd - lineStart));
    const char* next = newline != nullptr ? newline + 1 : textEnd;
    const char* end = newline != nullptr ? newline : textEnd;
    if (end > lineStart && end[-1] == '\r') {
      --end;
      if (newline == nullptr) formatted = false;  // a CR at the very end is no line end
    } else {
      formatted = false;  // a formatted line ends in CR LF
    }
    ++lineNumber;
    const char* const begin = lineStart;
    const char* p = begin;
    lineStart = next;
    while (p < end && IsBlank(*p)) ++p;
    if (p == end) {  // a blank line holds no field and starts no record
      formatted = false;
      continue;
    }
    if (p != begin) formatted = false;

    for (int fieldInLine = 1;; ++fieldInLine) {
      // p is at the start of a field, past its leading blanks.
      if (filled == 0) {
        row = run.NewRow(fields);
        recordLine = lineNumber;
      }
      if constexpr (kSomeUnused) {
        if (const int unused = form.unusedRun[filled]; unused > 0) {
          if (const char* after = PassOver(p, end, filled, unused, fields)) {
            std::fill(row + filled, row + filled + unused, 0.0);
            filled += unused;
            if (filled == fields) {
              filled = 0;
              run.CloseRecord(fields, recordLine);
              break;
            }
            fieldInLine += unused - 1;  // and the loop's own step
            p = after + 1;
            while (p < end && IsBlank(*p)) ++p;
            continue;
          }
        }
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
      if (formatted) formatted = plain && IsCanonicalNumberText(std::string_view(p, q - p), value);
      const char* numberEnd = q;
      while (q < end && IsBlank(*q)) ++q;
      if (q != numberEnd) formatted = false;
      plain = plain && (q == end || *q == ',');
      if (!plain) {
        std::string reason;
        const std::optional<double> careful = ParseField(p, end, q, reason);
        if (!careful) {
          run.failure = Failure{std::move(reason), lineNumber, fieldInLine, recordLine};
          run.lastLine = lineNumber;
          return;
        }
        value = *careful;
      }
      if constexpr (kSomeUnused) {
        if (form.unusedRun[filled] > 0) value = 0.0;  // read, checked, not wanted
      }
      row[filled++] = value;

      const bool lineGoesOn = q < end;
      if (filled == fields) {
        filled = 0;
        run.CloseRecord(fields, recordLine);
        if (lineGoesOn) {
          run.failure = Failure{"the line holds more values than its record needs (" +
                                    std::to_string(fields) +
                                    "); a record must not begin in the middle of a line",
                                lineNumber, fieldInLine + 1, std::nullopt};
          run.lastLine = lineNumber;
          return;
        }
      }
      if (!lineGoesOn) break;
      p = q + 1;
      if (p < end && IsBlank(*p)) formatted = false;
      while (p < end && IsBlank(*p)) ++p;
    }
    if (filled != 0) formatted = false;  // a formatted record is one line
  }
  run.formatted = checkFormatted && run.formatted && formatted;
  run.partialFields = filled;
  run.partialLine = recordLine;
  if (filled > 0) std::memcpy(run.partial, row, sizeof(double) * filled);
  run.lastLine = lineNumber;
}

void ParseLines(const char* text, const char* textEnd, std::int64_t firstLine, const LineForm& form,
                ParsedRun& run) {
  if (form.someUnused) {
    ParseLinesOf<true>(text, textEnd, firstLine, form, run);
  } else {
    ParseLinesOf<false>(text, textEnd, firstLine, form, run);
  }
}

// Hands parsed runs on in file order: counts the records, keeps to the capacity, turns a
// run's failure into the error, and passes on the lines of runs written as the writers write.
class Delivery {
 public:
  Delivery(const std::string& path, const RecordForm& form, const RecordBatchFn& deliver)
      : path_(path), form_(form), deliver_(deliver) {}

  // Hands the complete records of `run` on, its line numbers `offset` later than it counted
  // them, and throws its failure or the capacity error. `lines` is the text the run was
  // parsed from: whole lines, which are the records' own when the run is canonical.
  void Deliver(const ParsedRun& run, std::int64_t offset, std::span<char> lines) {
    const std::int64_t count = run.records();
    const std::int64_t fits = std::min(count, form_.maxRecords - total_);
    if (fits > 0) deliver_(total_ + 1, run.values.get(), fits);
    if (fits > 0 && form_.lines) {
      const bool whole = run.formatted && fits == count && !run.failure;
      form_.lines(total_ + 1, fits, whole ? lines : std::span<char>());
    }
    total_ += fits;
    if (fits < count) CapacityError(run.lines[static_cast<std::size_t>(fits)] + offset);
    if (!run.failure) return;
    const Failure& failure = *run.failure;
    if (failure.recordLine && total_ >= form_.maxRecords)
      CapacityError(*failure.recordLine + offset);
    throw DataError(DataErrorKind::kInput, failure.reason, path_, failure.line + offset,
                    failure.field);
  }

  // After the last run: a record still open is cut short by the end of the file.
  std::int64_t Finish(const ParsedRun& last) {
    if (last.partialFields != 0) {
      if (total_ >= form_.maxRecords) CapacityError(last.partialLine);
      throw DataError(DataErrorKind::kInput,
                      "the file ends inside record " + std::to_string(total_ + 1) +
                          " (begun on line " + std::to_string(last.partialLine) +
                          "): " + std::to_string(last.partialFields) + " of " +
                          std::to_string(form_.fieldsPerRecord) + " values read",
                      path_);
    }
    return total_;
  }

  [[noreturn]] void HeaderMissing(int header) const {
    throw DataError(DataErrorKind::kInput,
                    "the file ends before header line " + std::to_string(header), path_);
  }

  [[noreturn]] void HeaderTooLong(int header) const {
    throw DataError(DataErrorKind::kInput,
                    "header line longer than 1 MiB: not a record of this tool", path_, header);
  }

  // Lines offered to a writer are checked for their canonical form, which needs every value;
  // otherwise fields not wanted may be passed over.
  LineForm lineForm() const {
    LineForm line;
    line.fields = form_.fieldsPerRecord;
    line.checkFormatted = static_cast<bool>(form_.lines);
    if (line.checkFormatted) return line;
    for (int f = line.fields - 1; f >= 0; --f) {
      if (((form_.unusedFields >> f) & 1) == 0) continue;
      line.unusedRun[f] =
          static_cast<std::uint8_t>(1 + (f + 1 < line.fields ? line.unusedRun[f + 1] : 0));
      line.someUnused = true;
    }
    return line;
  }

 private:
  [[noreturn]] void CapacityError(std::int64_t line) const {
    const std::string limit = std::to_string(form_.maxRecords);
    throw DataError(DataErrorKind::kCapacity,
                    "more than " + limit + " records: record " +
                        std::to_string(form_.maxRecords + 1) + " does not fit the sample table",
                    path_, line);
  }

  const std::string& path_;
  const RecordForm& form_;
  const RecordBatchFn& deliver_;
  std::int64_t total_ = 0;
};

// A file that can only be read in order (a pipe): its blocks of whole lines, one after the
// other, on this thread.
std::int64_t ReadInOrder(int descriptor, const std::string& path, const RecordForm& form,
                         Delivery& delivery) {
  LineBlocks blocks(descriptor, path);
  const char* header = nullptr;
  const char* headerEnd = nullptr;
  for (int h = 1; h <= form.headerLines; ++h) {
    if (!blocks.NextLine(header, headerEnd, kMaxHeaderLineBytes)) delivery.HeaderMissing(h);
    if (static_cast<std::size_t>(headerEnd - header) > kMaxHeaderLineBytes)
      delivery.HeaderTooLong(h);
  }
  char* begin = nullptr;
  char* end = nullptr;
  ParsedRun run;
  std::int64_t nextLine = form.headerLines + 1;
  while (blocks.NextBlock(begin, end)) {
    run.Restart();
    ParseLines(begin, end, nextLine, delivery.lineForm(), run);
    delivery.Deliver(run, 0, std::span<char>(begin, end));
    nextLine = run.lastLine + 1;
    if (form.bytesRead) form.bytesRead(blocks.consumed());
  }
  return delivery.Finish(run);
}

// A regular file, read in chunks of whole lines by two threads at once, each chunk read with
// pread where it stands and parsed as if a record began there, as one nearly always does.
// This thread hands the chunks on in file order; a chunk that follows one ending inside a
// record is parsed again here, continuing it.
class ChunkReader {
 public:
  ChunkReader(int descriptor, std::uint64_t size, const std::string& path, const RecordForm& form,
              Delivery& delivery)
      : descriptor_(descriptor), size_(size), path_(path), form_(form), delivery_(delivery) {}

  std::int64_t Read() {
    bodyStart_ = HeaderEnd();
    const std::uint64_t chunks = (size_ - bodyStart_ + kChunkSize - 1) / kChunkSize;
    ParsedRun carried;  // the state at the end of the chunks handed on so far
    std::int64_t linesBefore = form_.headerLines;
    RunOrderedPipeline(
        chunks,
        [this](std::uint64_t chunk, int s) {
          Slot& slot = slots_[s];
          Load(chunk, slot);
          slot.run.Restart();
          slot.run.partialFields = 0;
          ParseLines(slot.text.data(), slot.text.data() + slot.length, 1, lineForm_, slot.run);
        },
        [&](std::uint64_t, int s) {
          ThrowIfInterrupted();
          HandOn(slots_[s], carried, linesBefore);
        });
    return delivery_.Finish(carried);
  }

 private:
  struct Slot {
    std::vector<char> text;  // the chunk's whole lines, then kPadding bytes
    std::size_t length = 0;
    std::uint64_t end = 0;  // file offset after the chunk
    ParsedRun run;          // parsed as if a record began at the chunk's start
  };

  // Reads `count` bytes at `offset` into `out` (fewer at the end of the file).
  std::size_t ReadAt(char* out, std::size_t count, std::uint64_t offset) const {
    std::size_t got = 0;
    while (got < count) {
      const ssize_t part =
          ::pread(descriptor_, out + got, count - got, static_cast<off_t>(offset + got));
      if (part == 0) break;
      if (part < 0) {
        if (errno == EINTR) continue;
        throw DataError::System(errno, "cannot read the file", path_);
      }
      got += static_cast<std::size_t>(part);
    }
    return got;
  }

  // The offset after the first line end at or after `from`, or the file's end; none when
  // there is none within `limit` bytes.
  std::optional<std::uint64_t> AfterLineEnd(std::uint64_t from, std::uint64_t limit) const {
    char buffer[4096];
    for (std::uint64_t at = from; at < size_;) {
      if (at - from >= limit) return std::nullopt;
      const std::size_t got = ReadAt(buffer, sizeof buffer, at);
      if (got == 0) break;
      if (const void* newline = std::memchr(buffer, '\n', got))
        return at + (static_cast<const char*>(newline) - buffer) + 1;
      at += got;
    }
    return size_;
  }

  // The offset of the first line that starts at or after `offset`: `offset` itself when a
  // line end stands just before it, else the byte after the next line end (or the file's end).
  std::uint64_t LineStartFrom(std::uint64_t offset) const {
    if (offset <= bodyStart_) return bodyStart_;
    const std::optional<std::uint64_t> start = AfterLineEnd(offset - 1, kMaxLineBytes);
    if (!start)
      throw DataError(DataErrorKind::kInput, "a line of more than 64 MiB: no file of records",
                      path_);
    return *start;
  }

  // The offset after the header lines.
  std::uint64_t HeaderEnd() const {
    std::uint64_t at = 0;
    for (int h = 1; h <= form_.headerLines; ++h) {
      if (at >= size_) delivery_.HeaderMissing(h);
      // The line, its CR and its LF.
      const std::optional<std::uint64_t> next = AfterLineEnd(at, kMaxHeaderLineBytes + 2);
      if (!next) delivery_.HeaderTooLong(h);
      std::uint64_t length = *next - at;
      char last[2] = {};
      if (*next > at && ReadAt(last, 1, *next - 1) == 1 && last[0] == '\n') --length;
      if (length > 0 && ReadAt(last, 1, at + length - 1) == 1 && last[0] == '\r') --length;
      if (length > kMaxHeaderLineBytes) delivery_.HeaderTooLong(h);
      at = *next;
      if (at == size_ && h < form_.headerLines) {
        // The file ends with this header line: the ones after it are missing.
        delivery_.HeaderMissing(h + 1);
      }
    }
    return at;
  }

  void Load(std::uint64_t chunk, Slot& slot) const {
    const std::uint64_t begin = LineStartFrom(bodyStart_ + chunk * kChunkSize);
    slot.end = std::min(size_, LineStartFrom(bodyStart_ + (chunk + 1) * kChunkSize));
    slot.length = static_cast<std::size_t>(slot.end > begin ? slot.end - begin : 0);
    slot.text.resize(slot.length + kPadding);
    slot.length = ReadAt(slot.text.data(), slot.length, begin);
    std::memset(slot.text.data() + slot.length, 0, kPadding);
  }

  // Delivers a parsed chunk, the next in file order, continuing `carried`, the state at the
  // end of the chunks before it, whose lines number linesBefore.
  void HandOn(Slot& slot, ParsedRun& carried, std::int64_t& linesBefore) {
    const std::span<char> lines(slot.text.data(), slot.length);
    if (carried.partialFields == 0) {
      delivery_.Deliver(slot.run, linesBefore, lines);
      carried.partialFields = slot.run.partialFields;
      carried.partialLine = slot.run.partialLine + linesBefore;
      std::memcpy(carried.partial, slot.run.partial, sizeof carried.partial);
    } else {
      carried.Restart();
      ParseLines(slot.text.data(), slot.text.data() + slot.length, linesBefore + 1, lineForm_,
                 carried);
      delivery_.Deliver(carried, 0, lines);
      carried.lastLine -= linesBefore;
      slot.run.lastLine = carried.lastLine;
    }
    linesBefore += slot.run.lastLine;
    if (form_.bytesRead) form_.bytesRead(slot.end);
  }

  const int descriptor_;
  const std::uint64_t size_;
  const std::string& path_;
  const RecordForm& form_;
  Delivery& delivery_;
  const LineForm lineForm_ = delivery_.lineForm();
  std::uint64_t bodyStart_ = 0;
  Slot slots_[kPipelineSlots];
};

}  // namespace

std::int64_t ReadRecords(const std::string& path, const RecordForm& form,
                         const RecordBatchFn& deliver) {
  if (form.fieldsPerRecord < 1 || form.fieldsPerRecord > kTableColumns || form.headerLines < 0)
    throw std::invalid_argument("ReadRecords: fields per record must lie in 1..43");
  Delivery delivery(path, form, deliver);
  const ReadOnlyFile file(path);
  struct stat status {};
  const bool regular = ::fstat(file.descriptor(), &status) == 0 && S_ISREG(status.st_mode);
  if (!regular) return ReadInOrder(file.descriptor(), path, form, delivery);
  return ChunkReader(file.descriptor(), static_cast<std::uint64_t>(status.st_size), path, form,
                     delivery)
      .Read();
}

std::int32_t ReadRecord(SampleTable& table, const std::string& path, int headerLines,
                        int fieldsPerRecord, const ProgressMaximumFn& progressMaximum,
                        const RecordLinesFn& lines) {
  RecordForm form;
  form.headerLines = headerLines;
  form.fieldsPerRecord = fieldsPerRecord;
  form.lines = lines;
  const std::size_t rowBytes = sizeof(double) * static_cast<std::size_t>(fieldsPerRecord);
  const auto rowCount = static_cast<std::int32_t>(
      ReadRecords(path, form, [&](std::int64_t first, const double* values, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i)
          std::memcpy(table.row(static_cast<std::int32_t>(first + i)), values + i * fieldsPerRecord,
                      rowBytes);
      }));
  if (progressMaximum) progressMaximum(static_cast<float>(rowCount));
  return rowCount;
}

}  // namespace accprep
