#include "viewer/newest_request.hpp"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace accprep {
namespace {

// Nice 10: a worker takes about a tenth of a processor's share where the window's painting
// wants it. Qt's raster engine shares a repaint out to threads of its own and waits for them;
// against workers of equal weight on two cores, a tab's repaint waited seconds.
constexpr int kWorkerNice = 10;

}  // namespace

QThreadPool* ViewerWorkPool(WorkPriority priority) {
  const auto make = [] {
    auto* threads = new QThreadPool;  // lives as long as the program: work may outlast windows
    threads->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    return threads;
  };
  static QThreadPool* const background = make();
  static QThreadPool* const foreground = make();
  return priority == WorkPriority::kForeground ? foreground : background;
}

void YieldToTheScreen() {
  // On Linux the nice value belongs to the thread, and threads it starts inherit it.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kWorkerNice);
}

}  // namespace accprep
