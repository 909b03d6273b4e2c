#pragma once
// Small records whose outputs can be written down digit by digit, independently of the code
// under test.
//
// The acceleration record's channel values are a whole number plus one of seven deviations
// that are exact binary fractions and sum to zero over the record, so every running sum,
// mean and difference of the baseline removal is exact and only the rounding to four
// decimals acts: 0.03125 -> 0.0313 (an exact half), 0.0009765625 -> 0.001, 0 -> "0".

#include <string>

#include "test_kit.hpp"

namespace accprep::testing {

struct AccelerationCase {
  std::string record;  // two header lines, 7 records of 43 fields, CR LF
  std::string matrix;  // the expected acceleration matrix file
  std::string csv;     // the expected exchange CSV: header line and data lines
};

// `shift` rotates the deviations among the channels and moves the time column, so that two
// cases of different shifts have different outputs of the same size.
AccelerationCase MakeAccelerationCase(int shift = 0);

struct JobResultCase {
  std::string result;  // one header line, `rows` records of 41 fields, as a job leaves it
  std::string matrix;  // the expected matrix file of that result
};

// A job result of `rows` records in a mix of number spellings ("1.50", "2.5e3", "-0.000001").
JobResultCase MakeJobResult(int rows, int shift = 0);

}  // namespace accprep::testing
