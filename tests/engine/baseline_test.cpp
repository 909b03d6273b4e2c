#include "engine/baseline.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

TEST(ToHalfAdjust, RoundsHalfAwayFromZero) {
  EXPECT_EQ(ToHalfAdjust(0.03125, 4), 0.0313);
  EXPECT_EQ(ToHalfAdjust(-0.03125, 4), -0.0313);
  EXPECT_EQ(ToHalfAdjust(2.5, 0), 3.0);
  EXPECT_EQ(ToHalfAdjust(-2.5, 0), -3.0);
  EXPECT_EQ(ToHalfAdjust(2.4999, 0), 2.0);
  EXPECT_EQ(ToHalfAdjust(1.23456789, 4), 1.2346);
  EXPECT_EQ(ToHalfAdjust(-1.23456789, 4), -1.2346);
  EXPECT_EQ(ToHalfAdjust(125.0, -1), 130.0);
}

TEST(ToHalfAdjust, FollowsTheDoubleProductNotTheDecimalText) {
  EXPECT_EQ(ToHalfAdjust(0.00015, 4), 0.0001);  // 0.00015 * 10000 is just below 1.5
}

TEST(ToHalfAdjust, GivesSignedZeroAtAndJustBelowZero) {
  EXPECT_TRUE(std::signbit(ToHalfAdjust(0.0, 4)));
  EXPECT_EQ(ToHalfAdjust(0.0, 4), 0.0);
  EXPECT_TRUE(std::signbit(ToHalfAdjust(-0.000049, 4)));
  EXPECT_FALSE(std::signbit(ToHalfAdjust(0.000049, 4)));
  EXPECT_EQ(ToHalfAdjust(-0.00005, 4), -0.0001);
}

TEST(ToHalfAdjust, ReportsOverflowAndInvalidValues) {
  EXPECT_NO_THROW(ToHalfAdjust(1e300, 4));
  auto message = [](double value) {
    return testing::DataErrorText([&] { ToHalfAdjust(value, 4); }, DataErrorKind::kArithmetic);
  };
  EXPECT_EQ(message(1e305), "floating-point overflow in the half adjustment while rounding 1e+305");
  EXPECT_EQ(message(-1e305),
            "floating-point overflow in the half adjustment while rounding -1e+305");
  EXPECT_EQ(message(std::nan("")),
            "invalid floating-point operation in the half adjustment while rounding nan");
}

// An independent reference: decide the rounding on the exact product, computed as a
// long double where the double product is exact enough to compare.
TEST(ToHalfAdjust, AgreesWithAnIndependentReferenceOnRandomValues) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> values(-1000.0, 1000.0);
  for (int i = 0; i < 1000000; ++i) {
    const double value = values(random);
    const double product = value * 10000.0;  // the same rounded double product
    const double expected = (product >= 0 ? std::floor(product + 0.5) : std::ceil(product - 0.5));
    double reference = expected / 10000.0;
    if (value <= 0 && reference == 0) reference = -0.0;
    const double actual = ToHalfAdjust(value, 4);
    ASSERT_EQ(actual, reference) << FormatNumber(value);
    ASSERT_EQ(std::signbit(actual), std::signbit(reference)) << FormatNumber(value);
    // The text form shows at most four decimals and reads back to the same value.
    const std::string text = FormatNumber(actual);
    const std::size_t point = text.find('.');
    ASSERT_TRUE(point == std::string::npos || text.size() - point - 1 <= 4) << text;
  }
}

class BaselineTest : public ::testing::Test {
 protected:
  SampleTable table_;
  ChannelMeans means_{};
};

TEST_F(BaselineTest, RemovesEachChannelsMeanAndRounds) {
  for (int r = 1; r <= 4; ++r) {
    table_.at(r, 0) = r * 0.01;
    table_.at(r, 1) = r;             // mean 2.5
    table_.at(r, 2) = 1.5;           // constant: every value becomes zero
    table_.at(r, 3) = r * 0.123456;  // mean 0.30864
    table_.at(r, 41) = 41.0 + r;
    table_.at(r, 42) = 42.0 + r;
  }
  table_.at(5, 1) = 99.0;  // beyond the count: untouched
  RemoveBaseline(table_, means_, 4);
  EXPECT_EQ(means_[1], 2.5);
  EXPECT_EQ(means_[2], 1.5);
  EXPECT_EQ(table_.at(1, 1), -1.5);
  EXPECT_EQ(table_.at(4, 1), 1.5);
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(table_.at(r, 2), 0.0);
  EXPECT_EQ(table_.at(1, 3), ToHalfAdjust(0.123456 - means_[3], 4));
  EXPECT_EQ(table_.at(1, 3), -0.1852);
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(table_.at(r, 0), r * 0.01);
    EXPECT_EQ(table_.at(r, 41), 41.0 + r);
    EXPECT_EQ(table_.at(r, 42), 42.0 + r);
  }
  EXPECT_EQ(table_.at(5, 1), 99.0);
  EXPECT_EQ(table_.at(0, 1), 0.0);
}

TEST_F(BaselineTest, UsesAPlainRunningSumInRowOrder) {
  // 1e16 + 1 + 1 - 1e16 in row order is 0 in doubles (each +1 is lost); a compensated or
  // reordered sum would give 2. The mean is therefore 0 and the values stay as they are.
  const double values[] = {1e16, 1.0, 1.0, -1e16};
  for (int r = 1; r <= 4; ++r) table_.at(r, 5) = values[r - 1];
  RemoveBaseline(table_, means_, 4);
  EXPECT_EQ(means_[5], 0.0);
  EXPECT_EQ(table_.at(2, 5), 1.0);
}

TEST_F(BaselineTest, OneRowBecomesAllZero) {
  for (int c = 1; c <= 40; ++c) table_.at(1, c) = c * 3.7;
  RemoveBaseline(table_, means_, 1);
  for (int c = 1; c <= 40; ++c) EXPECT_EQ(table_.at(1, c), 0.0);
}

TEST_F(BaselineTest, RefusesNoDataRowsBeforeChangingAnything) {
  table_.at(1, 1) = 5.0;
  EXPECT_EQ(testing::DataErrorText([&] { RemoveBaseline(table_, means_, 0); },
                                   DataErrorKind::kArithmetic),
            "no data rows: the record holds no records to average");
  EXPECT_EQ(table_.at(1, 1), 5.0);
}

TEST_F(BaselineTest, NamesValueRowAndChannelWhenRoundingOverflows) {
  table_.at(1, 7) = 1e306;
  table_.at(2, 7) = -1e306;
  EXPECT_EQ(testing::DataErrorText([&] { RemoveBaseline(table_, means_, 2); }),
            "floating-point overflow in the half adjustment while rounding 1e+306 (row 1, "
            "channel 7ch)");
}

TEST_F(BaselineTest, ReportsTheFirstFailureInChannelOrder) {
  // Channel 3 fails at row 2, channel 9 at row 1: channel after channel, channel 3 comes first.
  // Each pair cancels, so the means stay 0.
  table_.at(1, 9) = 1e306;
  table_.at(2, 9) = -1e306;
  table_.at(2, 3) = 1e306;
  table_.at(3, 3) = -1e306;
  const std::string message = testing::DataErrorText([&] { RemoveBaseline(table_, means_, 3); });
  EXPECT_NE(message.find("(row 2, channel 3ch)"), std::string::npos) << message;
}

TEST_F(BaselineTest, ALongRecordWithOneFailingCellStillNamesIt) {
  // Long records are rounded on two threads where no cell can fail; one that can takes the
  // careful walk, which names the cell a channel-after-channel walk meets first.
  for (int r = 1; r <= 6000; ++r) table_.at(r, 12) = r % 2 == 0 ? 0.5 : -0.5;
  table_.at(4001, 12) = 1e306;
  table_.at(4003, 12) = -1e306;
  const std::string message = testing::DataErrorText([&] { RemoveBaseline(table_, means_, 6000); });
  EXPECT_NE(message.find("(row 4001, channel 12ch)"), std::string::npos) << message;
}

// The result of a channel-after-channel walk, with ToHalfAdjust itself, for a full check.
TEST_F(BaselineTest, MatchesAChannelAfterChannelWalkBitForBit) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> values(-9.0, 40.0);
  const int n = 5000;
  SampleTable expected;
  for (int r = 1; r <= n; ++r)
    for (int c = 0; c <= 42; ++c) expected.at(r, c) = table_.at(r, c) = values(random);
  for (int c = 1; c <= 40; ++c) {
    double mean = 0.0;
    for (int r = 1; r <= n; ++r) mean = mean + expected.at(r, c);
    mean = mean / n;
    for (int r = 1; r <= n; ++r) {
      expected.at(r, c) = expected.at(r, c) - mean;
      expected.at(r, c) = ToHalfAdjust(expected.at(r, c), 4);
    }
  }
  RemoveBaseline(table_, means_, n);
  for (int r = 0; r <= n + 1; ++r)
    for (int c = 0; c <= 42; ++c) {
      ASSERT_EQ(std::signbit(table_.at(r, c)), std::signbit(expected.at(r, c)));
      ASSERT_EQ(table_.at(r, c), expected.at(r, c)) << r << "," << c;
    }
}

}  // namespace
}  // namespace accprep
