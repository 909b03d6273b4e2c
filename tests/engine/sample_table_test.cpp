#include "engine/sample_table.hpp"

#include <gtest/gtest.h>

#include "engine/data_error.hpp"
#include "test_kit.hpp"

namespace accprep {
namespace {

TEST(SampleTable, StartsAllZeroAndKeepsRowsSideBySide) {
  SampleTable table;
  EXPECT_EQ(table.at(0, 0), 0.0);
  EXPECT_EQ(table.at(450000, 42), 0.0);
  table.at(7, 42) = 1.5;
  table.at(8, 0) = 2.5;
  EXPECT_EQ(table.row(7)[42], 1.5);
  EXPECT_EQ(&table.row(7)[43], &table.at(8, 0));  // one row-major block
}

TEST(SampleTable, RefusesIndexesOutsideTheTableNamingThem) {
  SampleTable table;
  auto message = [&](std::int32_t row, std::int16_t column) {
    return testing::DataErrorText([&] { table.at(row, column); }, DataErrorKind::kCapacity);
  };
  EXPECT_EQ(message(450001, 0),
            "row 450001, column 0 lies outside the sample table (rows 0..450000, columns 0..42)");
  EXPECT_EQ(message(-1, 3),
            "row -1, column 3 lies outside the sample table (rows 0..450000, columns 0..42)");
  EXPECT_EQ(message(5, 43),
            "row 5, column 43 lies outside the sample table (rows 0..450000, columns 0..42)");
  EXPECT_THROW(table.row(450001), DataError);
  EXPECT_NO_THROW(table.row(450000));
}

TEST(SampleTable, IsZeroAgainInEveryNewTable) {
  {
    SampleTable used;
    used.at(3, 3) = 9.0;
  }
  SampleTable fresh;
  EXPECT_EQ(fresh.at(3, 3), 0.0);
}

}  // namespace
}  // namespace accprep
