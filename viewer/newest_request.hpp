#pragma once
// Work for the window, off its thread, where only the newest request counts: a user who picks
// channel 5, then 6, then 7 while a spectrum is computed wants 7, not three spectra shown in
// turn. One computation runs at a time; a request made meanwhile waits, a later one replaces
// it, and the running one is told it is stale (it may stop early) and its result is dropped.
// The window's response spectra, the intensity panel and the loading of a conversion use it.

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace accprep {

// The threads the viewer's work runs on: pools of its own. Qt's raster painting shares its
// strokes out to the global pool and waits for them, so work queued there (seconds of
// loading and computing) would hold a repaint, and the click that asked for it, that long.
//
// Work the user waits for (the records of the first picture) runs at the window's priority;
// the rest (spectra files, measures, analyses) runs below it, so that a repaint never waits
// behind it. Two pools, because a thread's nice value cannot be lowered again without
// privilege, and a pool reuses its threads.
enum class WorkPriority { kBackground, kForeground };
QThreadPool* ViewerWorkPool(WorkPriority priority = WorkPriority::kBackground);

// Lowers the calling worker thread's priority below the window's (and the threads it starts,
// such as a loader's readers), so that a repaint never waits behind the work.
void YieldToTheScreen();

// Set once a newer request replaced the one that sees it; work may poll it to stop early
// (its result is dropped either way).
using StaleFlag = std::atomic<bool>;

template <typename Result>
class NewestRequest {
 public:
  using Work = std::function<Result(const StaleFlag& stale)>;

  // `show` takes each result that is still the newest, on the thread of `owner`, which owns
  // the runner's watcher.
  NewestRequest(QObject* owner, std::function<void(Result)> show,
                WorkPriority priority = WorkPriority::kBackground)
      : show_(std::move(show)), watcher_(new QFutureWatcher<Result>(owner)), priority_(priority) {
    QObject::connect(watcher_, &QFutureWatcher<Result>::finished, owner, [this] { Finished(); });
  }
  ~NewestRequest() { Wait(); }
  NewestRequest(const NewestRequest&) = delete;
  NewestRequest& operator=(const NewestRequest&) = delete;

  // Runs `work` now, or once the computation under way ends; replaces a request that waits.
  void Run(Work work) {
    idle_ = false;
    if (watcher_->isRunning()) {
      stale_->store(true);
      waiting_ = std::move(work);
      return;
    }
    Start(std::move(work));
  }

  // Drops the result of what runs and anything waiting; nothing more will be shown.
  void Cancel() {
    stale_->store(true);
    waiting_.reset();
    idle_ = !watcher_->isRunning();
  }

  // True once the newest request's result has been shown (or none was made).
  bool IsIdle() const { return idle_; }
  bool IsRunning() const { return watcher_->isRunning(); }

  // Returns once no computation runs (the window's end; results are then not shown).
  void Wait() { watcher_->waitForFinished(); }

 private:
  void Start(Work work) {
    stale_ = std::make_shared<StaleFlag>(false);
    std::shared_ptr<const StaleFlag> stale = stale_;
    const bool background = priority_ == WorkPriority::kBackground;
    watcher_->setFuture(
        QtConcurrent::run(ViewerWorkPool(priority_), [work = std::move(work), stale, background] {
          if (background) YieldToTheScreen();
          return work(*stale);
        }));
  }

  void Finished() {
    if (waiting_) {
      Work next = std::move(*waiting_);
      waiting_.reset();
      Start(std::move(next));
      return;
    }
    idle_ = true;
    if (!stale_->load()) show_(watcher_->result());
  }

  std::function<void(Result)> show_;
  QFutureWatcher<Result>* watcher_;
  WorkPriority priority_;
  std::shared_ptr<StaleFlag> stale_ = std::make_shared<StaleFlag>(false);
  std::optional<Work> waiting_;
  bool idle_ = true;
};

}  // namespace accprep
