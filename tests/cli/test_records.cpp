#include "test_records.hpp"

#include "test_kit.hpp"

#include <charconv>
#include <string>

namespace accprep::testing {
namespace {

constexpr int kAccelerationRows = 7;
constexpr int kChannels = 40;

struct Deviation {
  double value;
  const char* rounded;  // its text after rounding to four decimals
};
constexpr Deviation kDeviations[kAccelerationRows] = {
    {0.03125, "0.0313"},     {-0.03125, "-0.0313"},     {0.5, "0.5"}, {-0.5, "-0.5"}, {0.0, "0"},
    {0.0009765625, "0.001"}, {-0.0009765625, "-0.001"},
};

struct Spelling {
  const char* written;   // as a job writes it
  const char* expected;  // as the matrix file shows it
};
constexpr Spelling kSpellings[] = {
    {"1.50", "1.5"},  {"-0.000001", "-1e-06"}, {"12", "12"},
    {"0.25", "0.25"}, {"-3.125", "-3.125"},    {"2.5e3", "2500"},
};
constexpr int kSpellingCount = sizeof kSpellings / sizeof kSpellings[0];

std::string Shortest(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// A time of 0..9 hundredths, as "0.03"; written out in the shortest form ("0.03", "0").
// The cases stay below ten rows (plus shift) for that reason.
std::string TimeText(int hundredths) {
  std::string text = "0.0";
  text += char('0' + hundredths);
  return text;
}
std::string TimeExpected(int hundredths) { return hundredths == 0 ? "0" : TimeText(hundredths); }

}  // namespace

AccelerationCase MakeAccelerationCase(int shift) {
  AccelerationCase result;
  result.record = "test record, 40 channels in gal\r\ntime,channels...,t1,t2\r\n";
  result.csv = ChannelCsvHeader();
  for (int r = 1; r <= kAccelerationRows; ++r) {
    const int hundredths = r - 1 + shift;
    std::string recordLine = TimeText(hundredths);
    std::string matrixLine = TimeExpected(hundredths);
    std::string csvLine = matrixLine;
    for (int c = 1; c <= kChannels; ++c) {
      const Deviation& deviation = kDeviations[(r + c + shift) % kAccelerationRows];
      const double base = c - 20;  // negative, zero and positive channel means
      recordLine += ',';
      recordLine += Shortest(base + deviation.value);
      matrixLine += std::string("\t") + deviation.rounded;
      csvLine += std::string(",") + deviation.rounded;
    }
    // The two trailing values are read and never written.
    recordLine += ",7,-";
    recordLine += std::to_string(r);
    recordLine += ".5";
    result.record += recordLine + "\r\n";
    result.matrix += matrixLine + "\r\n";
    result.csv += csvLine + "\r\n";
  }
  return result;
}

JobResultCase MakeJobResult(int rows, int shift) {
  JobResultCase result;
  result.result = ChannelCsvHeader();
  for (int r = 1; r <= rows; ++r) {
    std::string resultLine = TimeText(r - 1);
    std::string matrixLine = TimeExpected(r - 1);
    for (int c = 1; c <= kChannels; ++c) {
      const Spelling& spelling = kSpellings[(r * 7 + c + shift) % kSpellingCount];
      resultLine += std::string(",") + spelling.written;
      matrixLine += std::string("\t") + spelling.expected;
    }
    result.result += resultLine + "\r\n";
    result.matrix += matrixLine + "\r\n";
  }
  return result;
}

}  // namespace accprep::testing
