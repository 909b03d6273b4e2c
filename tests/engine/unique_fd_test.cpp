// The one owner of a file descriptor: it closes what it holds once, whoever holds it last.

#include "engine/unique_fd.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <utility>

namespace accprep {
namespace {

bool IsOpen(int descriptor) { return ::fcntl(descriptor, F_GETFD) != -1; }

TEST(UniqueFd, ClosesOnceWhereverItWasHandedOn) {
  const int descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  UniqueFd last;
  {
    UniqueFd first(descriptor);
    last = std::move(first);
  }
  EXPECT_TRUE(IsOpen(descriptor));  // the moved-from owner closed nothing
  EXPECT_EQ(last.Close(), 0);
  EXPECT_FALSE(IsOpen(descriptor));
  EXPECT_FALSE(last);
  EXPECT_EQ(last.Close(), 0);  // nothing is closed twice
}

}  // namespace
}  // namespace accprep
