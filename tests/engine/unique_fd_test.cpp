// The one owner of a file descriptor: closed once, by whoever holds it last.

#include "engine/unique_fd.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

namespace accprep {
namespace {

bool IsOpen(int descriptor) { return ::fcntl(descriptor, F_GETFD) != -1; }

int OpenNull() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

TEST(UniqueFd, ClosesWhatItHoldsWhenItGoesOrTakesAnother) {
  const int first = OpenNull();
  const int second = OpenNull();
  {
    UniqueFd held(first);
    EXPECT_TRUE(held);
    held.Reset(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_EQ(held.get(), second);
  }
  EXPECT_FALSE(IsOpen(second));
  EXPECT_FALSE(UniqueFd());
}

TEST(UniqueFd, AMoveHandsItOnAndAReleaseGivesItUp) {
  const int descriptor = OpenNull();
  UniqueFd moved;
  {
    UniqueFd original(descriptor);
    moved = std::move(original);
    EXPECT_FALSE(original);  // NOLINT(bugprone-use-after-move): a moved-from owner holds none
  }
  EXPECT_TRUE(IsOpen(descriptor));
  const int released = moved.Release();
  EXPECT_EQ(released, descriptor);
  EXPECT_FALSE(moved);
  EXPECT_TRUE(IsOpen(descriptor));
  ::close(released);
}

TEST(UniqueFd, CloseSaysWhatCloseSaysAndHoldsNoneAfter) {
  const int descriptor = OpenNull();
  UniqueFd held(descriptor);
  EXPECT_EQ(held.Close(), 0);
  EXPECT_FALSE(held);
  EXPECT_FALSE(IsOpen(descriptor));
  EXPECT_EQ(held.Close(), 0);  // nothing left to close
}

}  // namespace
}  // namespace accprep
