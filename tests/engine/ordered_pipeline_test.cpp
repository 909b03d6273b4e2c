// The two-worker pipeline under the reader and the writers: pieces are taken in order whatever
// order the workers finish them in, and a failure on either side ends it without a later
// piece being taken.

#include "engine/ordered_pipeline.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace accprep {
namespace {

TEST(OrderedPipeline, TakesEveryPieceInOrderAndStopsAtAFailureOnEitherSide) {
  // Worker 0 is slowed on some pieces, so worker 1 runs ahead as far as its slots allow.
  std::uint64_t made[kPipelineSlots] = {};
  std::vector<std::uint64_t> taken;
  RunOrderedPipeline(
      200,
      [&](std::uint64_t piece, int slot) {
        if (piece % 14 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        made[slot] = piece * piece;
      },
      [&](std::uint64_t piece, int slot) {
        EXPECT_EQ(made[slot], piece * piece);
        taken.push_back(piece);
      });
  ASSERT_EQ(taken.size(), 200u);
  for (std::uint64_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], i);

  taken.clear();
  auto failingMake = [&] {
    RunOrderedPipeline(
        200,
        [](std::uint64_t piece, int) {
          if (piece == 37) throw std::runtime_error("piece 37 cannot be made");
        },
        [&](std::uint64_t piece, int) { taken.push_back(piece); });
  };
  EXPECT_THROW(failingMake(), std::runtime_error);
  ASSERT_LE(taken.size(), 37u);
  for (std::uint64_t i = 0; i < taken.size(); ++i) EXPECT_EQ(taken[i], i);

  taken.clear();
  auto failingTake = [&] {
    RunOrderedPipeline(
        200, [](std::uint64_t, int) {},
        [&](std::uint64_t piece, int) {
          if (piece == 5) throw std::logic_error("piece 5 cannot be taken");
          taken.push_back(piece);
        });
  };
  EXPECT_THROW(failingTake(), std::logic_error);
  EXPECT_EQ(taken, (std::vector<std::uint64_t>{0, 1, 2, 3, 4}));

  RunOrderedPipeline(
      0, [](std::uint64_t, int) { FAIL(); }, [](std::uint64_t, int) { FAIL(); });
}

}  // namespace
}  // namespace accprep
