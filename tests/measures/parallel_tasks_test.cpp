#include "measures/parallel_tasks.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace accprep {
namespace {

TEST(ParallelTasks, EachTaskOnceAndTheFirstFailureOnTheCaller) {
  for (int threads : {0, 1, 2, 3}) {
    for (std::size_t count : {0u, 1u, 2u, 37u}) {
      std::vector<std::atomic<int>> calls(count);
      RunTasks(count, threads, [&](std::size_t i) { ++calls[i]; });
      for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(calls[i], 1) << threads << " " << i;
    }
  }
  // Each task takes a millisecond, so that the other thread cannot run through the tasks
  // while the one that fails waits for the processor.
  std::atomic<int> after{0};
  EXPECT_THROW(RunTasks(1000, 2,
                        [&](std::size_t i) {
                          if (i == 3) throw std::runtime_error("task 3");
                          std::this_thread::sleep_for(std::chrono::milliseconds(1));
                          if (i > 500) ++after;
                        }),
               std::runtime_error);
  EXPECT_LT(after, 490);  // the handing out stopped
}

}  // namespace
}  // namespace accprep
