#include "measures/parallel_tasks.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace accprep {

void RunTasks(std::size_t count, int threads, const std::function<void(std::size_t)>& task) {
  std::atomic<std::size_t> next{0};
  std::mutex failureLock;
  std::exception_ptr failure;
  auto work = [&] {
    try {
      for (std::size_t i = next++; i < count; i = next++) task(i);
    } catch (...) {
      const std::lock_guard<std::mutex> guard(failureLock);
      if (!failure) failure = std::current_exception();
      next = count;
    }
  };
  {
    std::vector<std::jthread> workers;
    const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1) - 1, count);
    for (std::size_t t = 0; t < helpers; ++t) workers.emplace_back(work);
    work();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace accprep
