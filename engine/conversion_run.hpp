#pragma once
// The conversion run: one press of Start. It reads the acceleration record, removes each
// channel's mean and rounds to four decimals, writes the acceleration matrix, the public
// channel CSV beside the input and the exchange CSV, runs the velocity and displacement jobs,
// takes over their results (copies beside the input, matrix files), deletes the exchange
// files and reports "done". The run takes its inputs as one value and reports to a
// RunObserver; the main window, the command line and the tests are its observers.

#include <string>
#include <vector>

namespace accprep {

// Status captions, in the order a complete run shows them.
inline constexpr char kStatusReading[] = "読み込み中";
inline constexpr char kStatusWriting[] = "書き出し中";
inline constexpr char kStatusPublic[] = "公開データを作成";
inline constexpr char kStatusFinished[] = "終了";
inline constexpr char kDoneMessage[] = "done";

// What one run converts, fixed when it starts.
struct RunInputs {
  std::string inputPath;       // the record to read; its stem names the five channel files
  std::string outputBaseName;  // names the three matrix files in out/
  std::string comment;         // the first line of the public acceleration CSV
  // The folder of the jobs, the exchange files and out/: the program folder (ProgramFolder).
  std::string exchangeFolder;
  // While another conversion holds the exchange folder: wait for it, or refuse at once.
  bool waitForExchangeFolder = false;
};

// Refuses inputs the run cannot use, before anything is read, written or removed: an empty or
// too short input path, an output base name that is empty or no plain file name, a comment of
// more than one line, an output whose name would be longer than kMaxOutputNameBytes, an input
// that is one of the exchange files (which the run removes), an output that is the input
// itself. Throws EngineError kRefused whose refusal() says which.
void CheckRunInputs(const RunInputs& inputs);

// The eight files a complete run writes: the three matrix files in out/, then the five
// channel files beside the input. CheckRunInputs must have accepted the inputs.
std::vector<std::string> RunOutputPaths(const RunInputs& inputs);

// What the run tells its host, in the order it happens. Every call has a default that does
// nothing, so a host implements only what it shows.
class RunObserver {
 public:
  virtual ~RunObserver() = default;

  virtual void SetStatusCaption(const std::string& /*caption*/) {}
  virtual void SetStartEnabled(bool /*enabled*/) {}
  virtual void SetProgressMaximum(float /*maximum*/) {}  // the row count of each read
  virtual void SetProgressValue(float /*value*/) {}      // once per data row written
  virtual void SetDialogInitialFolder(const std::string& /*folder*/) {}
  // Shows the closing message and returns when the user has seen it.
  virtual void ShowMessage(const std::string& /*text*/) {}

  // Another conversion holds the exchange folder and this run waits for it (once).
  virtual void WaitingForExchangeFolder(const std::string& /*folder*/) {}
  // Temporary and exchange files an earlier run left unfinished (killed outright, or a host
  // that ended before its run could clean up) were removed before this one began.
  virtual void LeftoversRemoved(const std::vector<std::string>& /*paths*/) {}
};

// Checks the inputs, takes the exchange folder (exchange_lock.hpp), removes what an earlier
// run left there unfinished, and runs the whole sequence, reporting to `observer`. Returns
// after the closing message. The input is in use (inputs_in_use.hpp) throughout: no output
// replaces it. On failure the run stops at the failing step and throws EngineError with the
// step set; the files written before stay, no half-written file is left, the exchange files
// of the run are removed (the message says what a look at them would), and the program goes
// on. An interrupted run (interruption.hpp) also stops its job.
void RunConversion(const RunInputs& inputs, RunObserver& observer);

// The folder that holds the running program (from /proc/self/exe).
std::string ProgramFolder();

}  // namespace accprep
