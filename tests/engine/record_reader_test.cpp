#include "engine/record_reader.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <charconv>
#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/data_error.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

using testing::TemporaryFolder;
using testing::WriteWholeFile;

// A line of `fields` values: r.0, r.1, r.2, ... so each cell tells where it came from.
std::string Line(int record, int fields, const std::string& end = "\r\n") {
  std::string text;
  for (int f = 0; f < fields; ++f) {
    if (f > 0) text += ",";
    text += std::to_string(record) + "." + std::to_string(f);
  }
  return text + end;
}

class RecordReaderTest : public ::testing::Test {
 protected:
  std::int32_t Read(const std::string& content, int headerLines = 2, int fields = 43) {
    WriteWholeFile(path_, content);
    maxima_.clear();
    return ReadRecord(table_, path_, headerLines, fields,
                      [this](float maximum) { maxima_.push_back(maximum); });
  }
  // The message the user gets for `content`.
  std::string Failure(const std::string& content, int headerLines = 2, int fields = 43) {
    return testing::DataErrorText([&] { Read(content, headerLines, fields); });
  }

  TemporaryFolder folder_;
  std::string path_ = folder_.File("record.csv");
  SampleTable table_;
  std::vector<float> maxima_;
};

TEST_F(RecordReaderTest, ReadsRecordsIntoRowsFromOne) {
  EXPECT_EQ(Read("h1\r\nh2\r\n" + Line(1, 43) + Line(2, 43)), 2);
  EXPECT_EQ(table_.at(1, 0), 1.0);
  EXPECT_EQ(table_.at(1, 42), 1.42);
  EXPECT_EQ(table_.at(2, 17), 2.17);
  EXPECT_EQ(table_.at(0, 0), 0.0);
  EXPECT_EQ(table_.at(3, 0), 0.0);
  EXPECT_EQ(maxima_, std::vector<float>{2.0f});
}

TEST_F(RecordReaderTest, HeaderContentsAndLineEndsDoNotMatter) {
  EXPECT_EQ(Read("1,2,3\n\n" + Line(1, 43, "\n") + Line(2, 43, "")), 2);  // LF, no final end
  EXPECT_EQ(table_.at(2, 42), 2.42);
  EXPECT_EQ(Read("only header\r\n" + Line(1, 41) + Line(2, 41, "\r\n\r\n  \r\n\t"), 1, 41), 2);
  EXPECT_EQ(table_.at(2, 40), 2.4);
}

TEST_F(RecordReaderTest, HeaderOnlyFileYieldsNoRowsAndSetsMaximumZero) {
  table_.at(1, 0) = 7.0;
  EXPECT_EQ(Read("a\r\nb\r\n"), 0);
  EXPECT_EQ(Read("a\r\nb"), 0);
  EXPECT_EQ(table_.at(1, 0), 7.0);
  EXPECT_EQ(maxima_, std::vector<float>{0.0f});
}

TEST_F(RecordReaderTest, AcceptsBlanksAroundCommasSignsAndExponents) {
  std::string text = "h\r\nh\r\n +1.5 ,\t-2e-3,3 , .5";
  for (int f = 4; f < 43; ++f) text.append(",").append(std::to_string(f));
  text += "  \r\n";
  EXPECT_EQ(Read(text), 1);
  EXPECT_EQ(table_.at(1, 0), 1.5);
  EXPECT_EQ(table_.at(1, 1), -0.002);
  EXPECT_EQ(table_.at(1, 2), 3.0);
  EXPECT_EQ(table_.at(1, 3), 0.5);
}

TEST_F(RecordReaderTest, RecordMayContinueOverWholeLines) {
  // 43 fields as lines of 20, 20 and 3.
  std::string record = "1";
  for (int f = 1; f < 43; ++f) record += (f % 20 == 0 ? "\r\n" : ",") + std::to_string(f);
  EXPECT_EQ(Read("h\r\nh\r\n" + record + "\r\n" + Line(2, 43)), 2);
  EXPECT_EQ(table_.at(1, 20), 20.0);
  EXPECT_EQ(table_.at(1, 42), 42.0);
  EXPECT_EQ(table_.at(2, 0), 2.0);
}

TEST_F(RecordReaderTest, LeavesCellsBeyondTheFieldsAndRowsAsTheyWere) {
  Read("h\r\nh\r\n" + Line(1, 43) + Line(2, 43) + Line(3, 43));
  EXPECT_EQ(Read("h\r\n" + Line(9, 41), 1, 41), 1);
  EXPECT_EQ(table_.at(1, 40), 9.4);
  EXPECT_EQ(table_.at(1, 41), 1.41);  // trailing columns keep the acceleration values
  EXPECT_EQ(table_.at(2, 0), 2.0);    // so do the rows beyond the new count
}

TEST_F(RecordReaderTest, RefusesLineWithExtraValues) {
  EXPECT_EQ(Failure("h\r\nh\r\n" + Line(1, 43) + Line(2, 44) + Line(3, 43)),
            path_ +
                ": line 4, field 44: the line holds more values than its record needs "
                "(43); a record must not begin in the middle of a line");
}

TEST_F(RecordReaderTest, RefusesRecordBeginningInTheMiddleOfALine) {
  // A line of 42 fields is completed by the first field of the next one.
  EXPECT_EQ(Failure("h\r\nh\r\n" + Line(1, 42) + Line(2, 43)),
            path_ +
                ": line 4, field 2: the line holds more values than its record needs "
                "(43); a record must not begin in the middle of a line");
}

TEST_F(RecordReaderTest, NamesEmptyNonNumericAndNonFiniteFields) {
  std::string line = Line(1, 43);
  EXPECT_EQ(Failure("h\nh\n1,,2\n"), path_ + ": line 3, field 2: empty field");
  EXPECT_EQ(Failure("h\nh\n1,2,\n"), path_ + ": line 3, field 3: empty field");
  EXPECT_EQ(Failure("h\nh\n" + line + "1, abc ,2\n"),
            path_ + ": line 4, field 2: not a number: \"abc\"");
  EXPECT_EQ(Failure("h\nh\n1;2\n"), path_ + ": line 3, field 1: not a number: \"1;2\"");
  EXPECT_EQ(Failure("h\nh\n1,nan\n"), path_ + ": line 3, field 2: value is not finite: \"nan\"");
  EXPECT_EQ(Failure("h\nh\n1,-inf\n"), path_ + ": line 3, field 2: value is not finite: \"-inf\"");
  EXPECT_EQ(Failure("h\nh\n1e999\n"), path_ + ": line 3, field 1: value is not finite: \"1e999\"");
  EXPECT_EQ(Failure("h\nh\n\"1.5\"\n"), path_ + ": line 3, field 1: not a number: \"\"1.5\"\"");
  const std::string longText(60, 'x');
  EXPECT_EQ(Failure("h\nh\n" + longText + "\n"),
            path_ + ": line 3, field 1: not a number: \"" + std::string(40, 'x') + "...\"");
}

TEST_F(RecordReaderTest, NamesRecordCutShortByTheEndOfTheFile) {
  EXPECT_EQ(Failure("h\r\nh\r\n" + Line(1, 43) + Line(2, 20)),
            path_ + ": the file ends inside record 2 (begun on line 4): 20 of 43 values read");
  EXPECT_TRUE(maxima_.empty());
}

TEST_F(RecordReaderTest, NamesMissingHeaderAndMissingFile) {
  EXPECT_EQ(Failure("one line\r\n"), path_ + ": the file ends before header line 2");
  EXPECT_EQ(Failure("", 1, 41), path_ + ": the file ends before header line 1");
  EXPECT_EQ(testing::DataErrorText(
                [&] { ReadRecord(table_, folder_.File("absent.csv"), 2, 43, nullptr); },
                DataErrorKind::kIo),
            folder_.File("absent.csv") + ": cannot open the file: No such file or directory");
}

TEST_F(RecordReaderTest, HandsOnTheLinesOfRecordsWrittenAsTheWritersWriteThem) {
  // Two fields a record, after one header line: the lines handed on, "" where they are not
  // the writers' own, and whether every record came with them.
  const auto linesOf = [this](const std::string& records) {
    WriteWholeFile(path_, "\"time\",\"1ch\"\r\n" + records);
    std::string lines;
    std::int64_t counted = 0;
    const std::int32_t read =
        ReadRecord(table_, path_, 1, 2, nullptr,
                   [&](std::int64_t first, std::int64_t count, std::span<char> text) {
                     EXPECT_EQ(first, counted + 1);
                     counted += count;
                     lines.append(text.begin(), text.end());
                   });
    EXPECT_EQ(counted, read);
    return lines;
  };
  const std::string written =
      "0,0\r\n0.01,-12.5\r\n0.02,0.00001\r\n100000000000000,1.23456789\r\n"
      "1e+15,-1.5e-07\r\n2.25e+100,9e-06\r\n0.3,0.30000000000000004\r\n";
  EXPECT_EQ(linesOf(written), written);
  EXPECT_EQ(linesOf(""), "");
  for (const char* odd : {"0.01,1.50\r\n",     "0.01,+1\r\n",
                          "0.01,01\r\n",       "0.01,.5\r\n",
                          "0.01,5.\r\n",       "0.01,-0\r\n",
                          "0.01,0.0\r\n",      "0.01,0.000001\r\n",
                          "0.01,1E-06\r\n",    "0.01,1e-6\r\n",
                          "0.01,1.50e-07\r\n", "0.01,15e-07\r\n",
                          "0.01,1e-05\r\n",    "0.01,1e+14\r\n",
                          "0.01,1e-007\r\n",   "0.01, 1\r\n",
                          "0.01,1 \r\n",       " 0.01,1\r\n",
                          "0.01,1\n",          "0.01,1\r\n\r\n0.02,1\r\n",
                          "0.01\r\n1\r\n",     "0.01,1",
                          "0.01,1\r",          "0.01,0.1000000000000000055\r\n"}) {
    EXPECT_EQ(linesOf(odd), "") << odd;
  }
}

// A header line is skipped whole up to its bound and refused beyond it, whether the file can
// be read anywhere (a regular file) or only in order (a pipe, a device).
TEST_F(RecordReaderTest, BoundsAHeaderLineInAFileAndInAPipe) {
  const std::string longest(kMaxHeaderLineBytes, 'x');
  const std::string fifo = folder_.File("fed.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto readPiped = [&](const std::string& content) {
    std::thread feed([&] {
      std::ofstream(fifo, std::ios::binary) << content;  // a refusal may close the pipe early
    });
    const auto outcome = testing::CatchError<DataError>(
        [&] { EXPECT_EQ(ReadRecord(table_, fifo, 2, 43, nullptr), 1); });
    feed.join();
    return outcome ? std::string(outcome->what()) : std::string();
  };
  std::signal(SIGPIPE, SIG_IGN);
  const std::string firstLine = "h\n";
  for (const std::string& fine :
       {longest + "\r\nh\r\n" + Line(1, 43), firstLine + longest + "\n" + Line(1, 43)}) {
    EXPECT_EQ(Read(fine), 1);
    EXPECT_EQ(table_.at(1, 42), 1.42);
    EXPECT_EQ(readPiped(fine), "");
  }
  const std::string tooLong = longest + "x";
  EXPECT_EQ(Failure(tooLong + "\r\nh\r\n" + Line(1, 43)),
            path_ + ": line 1: header line longer than 1 MiB: not a record of this tool");
  EXPECT_EQ(Failure(firstLine + tooLong),
            path_ + ": line 2: header line longer than 1 MiB: not a record of this tool");
  EXPECT_EQ(readPiped(firstLine + tooLong + "\r\n" + Line(1, 43)),
            fifo + ": line 2: header line longer than 1 MiB: not a record of this tool");
  // An endless device is refused as soon as its first line passes the bound.
  EXPECT_EQ(testing::DataErrorText([&] { ReadRecord(table_, "/dev/zero", 2, 43, nullptr); }),
            "/dev/zero: line 1: header line longer than 1 MiB: not a record of this tool");
}

// Every way of writing a number must give the double std::from_chars gives for it, whether
// the reader's short-decimal path or the general one takes it.
TEST_F(RecordReaderTest, ValuesMatchFromCharsBitForBit) {
  std::mt19937_64 random(9);
  std::vector<std::string> texts = {"0",
                                    "-0",
                                    "-0.0",
                                    "5.",
                                    ".5",
                                    "123456789012345",
                                    "1234567890123456",
                                    "0.000000000000001",
                                    "9007199254740993",
                                    "0.1",
                                    "-0.30000000000000004",
                                    "2.5e-3",
                                    "1E5",
                                    "00012.50"};
  std::uniform_int_distribution<std::int64_t> mantissas(-999999999999999, 999999999999999);
  std::uniform_int_distribution<int> places(0, 17);
  while (texts.size() < 43 * 200) {
    std::string digits = std::to_string(mantissas(random));
    const int point = places(random);
    const bool negative = digits[0] == '-';
    std::string body = negative ? digits.substr(1) : digits;
    if (point < static_cast<int>(body.size())) body.insert(body.size() - point, ".");
    texts.push_back((negative ? "-" : "") + body);
  }
  texts.resize(43 * 200);
  std::string content = "h\nh\n";
  for (std::size_t i = 0; i < texts.size(); ++i) content += texts[i] + (i % 43 == 42 ? "\n" : ",");
  ASSERT_EQ(Read(content), 200);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    double expected = 0;
    std::from_chars(texts[i].data(), texts[i].data() + texts[i].size(), expected);
    const double actual =
        table_.at(static_cast<std::int32_t>(i / 43 + 1), static_cast<std::int16_t>(i % 43));
    ASSERT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << texts[i];
  }
}

// What reading a file of `fields` fields a record gives: the values of the records delivered,
// and the error's text where it is refused.
struct Outcome {
  std::vector<double> values;
  std::string error;
};
Outcome ReadFields(const std::string& path, int fields, std::uint64_t unused = 0) {
  RecordForm form;
  form.headerLines = 1;
  form.fieldsPerRecord = fields;
  form.unusedFields = unused;
  Outcome outcome;
  try {
    ReadRecords(path, form, [&](std::int64_t, const double* values, std::int64_t count) {
      outcome.values.insert(outcome.values.end(), values, values + count * fields);
    });
  } catch (const DataError& error) {
    outcome.error = error.what();
  }
  return outcome;
}

// Random small files, most lines one record of plain numbers, some with blanks, signs,
// exponents, records over two lines, extra values or faulty fields: a sound file gives every
// field the value its text stands for, and a file with a fault is refused. Read again with
// some fields not wanted (the faults lying in the others), the wanted fields give the same
// values and the others 0, and a fault the same message.
TEST(RecordReaderFields, EveryFieldReadsAsItsTextAndEveryFaultIsRefused) {
  struct Text {
    std::string text;
    double value;
  };
  const std::vector<Text> plain = {{"0", 0.0},
                                   {"-1.25", -1.25},
                                   {"123456.7890", 123456.789},
                                   {"5.", 5.0},
                                   {".5", 0.5},
                                   {"-0.0001", -0.0001},
                                   {"-98765.4321", -98765.4321},
                                   {"0.30000000000000004", 0.30000000000000004}};
  const std::vector<Text> unusual = {{"1e3", 1000.0},
                                     {" 7", 7.0},
                                     {"8 ", 8.0},
                                     {"+2", 2.0},
                                     {"123456789012345678", 123456789012345678.0}};
  const std::vector<std::string> faulty = {"", "x", "1.2.3", "nan", "-", "1e999", "--1", "1;2"};
  std::mt19937 random(23);
  const TemporaryFolder folder;
  const std::string path = folder.File("fields.csv");
  int refused = 0;
  for (int file = 0; file < 400; ++file) {
    const int fields = 1 + static_cast<int>(random() % 9);
    const std::uint64_t unused = random() & ((std::uint64_t{1} << fields) - 1);
    std::string content = "header\n";
    std::vector<double> expected;
    bool sound = true;
    const int records = 1 + static_cast<int>(random() % 6);
    for (int r = 0; r < records; ++r) {
      for (int f = 0; f < fields; ++f) {
        if (random() % 60 == 0 && ((unused >> f) & 1) == 0) {
          content += faulty[random() % faulty.size()];
          sound = false;
        } else {
          const Text& text = random() % 12 == 0 ? unusual[random() % unusual.size()]
                                                : plain[random() % plain.size()];
          content += text.text;
          expected.push_back(text.value);
        }
        if (f + 1 < fields) content += random() % 15 == 0 ? "\n" : ",";
      }
      if (random() % 50 == 0) {
        content += ",1";
        sound = false;
      }
      content += random() % 2 == 0 ? "\r\n" : "\n";
    }
    WriteWholeFile(path, content);
    const Outcome outcome = ReadFields(path, fields);
    if (sound) {
      ASSERT_EQ(outcome.error, "") << content;
      ASSERT_EQ(outcome.values, expected) << content;
    } else {
      ASSERT_NE(outcome.error, "") << content;
      ++refused;
    }
    const Outcome some = ReadFields(path, fields, unused);
    ASSERT_EQ(some.error, outcome.error) << content;
    ASSERT_EQ(some.values.size(), outcome.values.size()) << content;
    for (std::size_t i = 0; i < some.values.size(); ++i) {
      const bool wanted = ((unused >> (i % fields)) & 1) == 0;
      ASSERT_EQ(some.values[i], wanted ? outcome.values[i] : 0.0) << content;
    }
  }
  EXPECT_GT(refused, 20);  // the faults were met, not only sound files
}

// Fields not wanted are passed over by their commas where a line holds them with the fields
// after them: what they hold is not looked at, but a line must still hold its record's
// fields; where it does not, they are read and checked as every field is.
TEST(RecordReaderFields, FieldsNotWantedArePassedOverButCounted) {
  const TemporaryFolder folder;
  const std::string path = folder.File("fields.csv");
  const std::uint64_t middleAndLast = 0b11010;  // of five fields, 0 and 2 wanted
  WriteWholeFile(path, "h\n1,junk,3,,x y\n4,5,6,7,8\r\n9,,10\n11,12\n");
  EXPECT_EQ(ReadFields(path, 5, middleAndLast).values,
            (std::vector<double>{1, 0, 3, 0, 0, 4, 0, 6, 0, 0, 9, 0, 10, 0, 0}));
  WriteWholeFile(path, "h\n1,2,3,4\n");
  EXPECT_NE(ReadFields(path, 5, middleAndLast).error.find("the file ends inside record 1"),
            std::string::npos);
  WriteWholeFile(path, "h\n1,2,3,4,5,6\n");
  EXPECT_NE(ReadFields(path, 5, middleAndLast).error.find("more values than its record needs"),
            std::string::npos);
  WriteWholeFile(path, "h\n1,x\n3,4,5\n");  // the line does not hold the fields after it
  EXPECT_NE(ReadFields(path, 5, middleAndLast).error.find("line 2, field 2: not a number"),
            std::string::npos);
  WriteWholeFile(path, "h\n1,2\nx,4,5\n");  // a wanted field on a record's next line
  EXPECT_NE(ReadFields(path, 5, middleAndLast).error.find("line 3, field 1: not a number"),
            std::string::npos);
}

// The capacity bound: 450,000 records fit, the 450,001st fails as it begins.
class RecordReaderCapacityTest : public RecordReaderTest {
 protected:
  static std::string Records(int count) {
    std::string text = "h\nh\n";
    text.reserve(static_cast<std::size_t>(count) * 90);
    std::string tail;
    for (int f = 1; f < 43; ++f) tail += ",0";
    tail += "\n";
    for (int r = 1; r <= count; ++r) text += std::to_string(r) + tail;
    return text;
  }
};

TEST_F(RecordReaderCapacityTest, ReadsExactlyFourHundredFiftyThousandRecords) {
  EXPECT_EQ(Read(Records(kMaxRecords)), kMaxRecords);
  EXPECT_EQ(table_.at(kMaxRecords, 0), 450000.0);
  EXPECT_EQ(maxima_, std::vector<float>{450000.0f});
}

TEST_F(RecordReaderCapacityTest, FailsAsTheRecordBeyondCapacityBegins) {
  EXPECT_EQ(
      testing::DataErrorText([&] { Read(Records(kMaxRecords + 1)); }, DataErrorKind::kCapacity),
      path_ +
          ": line 450003: more than 450000 records: record 450001 does not fit "
          "the sample table");
  EXPECT_EQ(table_.at(kMaxRecords, 0), 450000.0);
  EXPECT_TRUE(maxima_.empty());
}

}  // namespace
}  // namespace accprep
