#pragma once
// One conversion at a time per exchange folder. The exchange files (outacc.csv, velout.csv,
// disout.csv, amp3.csv) have fixed names, so two runs in one folder would take over each
// other's results. A run holds an exclusive lock on the folder's lock file from before it
// reads anything until its last exchange file is gone. The kernel releases the lock when the
// process ends, so a crashed run never blocks the next; the jobs inherit it, so a job that
// outlives a killed run keeps the folder until it ends too.

#include <functional>
#include <string>

#include "engine/unique_fd.hpp"

namespace accprep {

inline constexpr char kExchangeLockFile[] = ".accprep.lock";

class ExchangeLock {
 public:
  // Takes the lock of `folder`. While another conversion holds it: with `wait`, calls
  // onWait() once and waits (an interruption ends the wait with EngineError kInterrupted);
  // without, throws EngineError Refusal::kExchangeFolderBusy naming the folder. A folder where
  // the lock file cannot be created (read-only) is not locked, since no run can write its
  // exchange files there either. Throws EngineError kIo for other failures.
  // Closing the descriptor when the lock goes releases it; the file stays for the next run
  // (removing it would race).
  ExchangeLock(const std::string& folder, bool wait, const std::function<void()>& onWait);

 private:
  UniqueFd descriptor_;
};

}  // namespace accprep
