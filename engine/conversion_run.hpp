#pragma once
// The conversion run: one press of Start. It reads the acceleration record, removes each
// channel's mean and rounds to four decimals, writes the acceleration matrix, the public
// channel CSV beside the input and the exchange CSV, runs the velocity and displacement jobs,
// takes over their results (copies beside the input, matrix files), deletes the exchange
// files and reports "done". The run knows its window only as the RunHost below; the main
// window, the command line and the tests are its hosts.

#include <string>

namespace accprep {

// Status captions, in the order a complete run shows them.
inline constexpr char kStatusReading[] = "読み込み中";
inline constexpr char kStatusWriting[] = "書き出し中";
inline constexpr char kStatusPublic[] = "公開データを作成";
inline constexpr char kStatusFinished[] = "終了";
inline constexpr char kDoneMessage[] = "done";

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Inputs, read when the run needs them.
  virtual std::string SelectedInputPath() = 0;  // the record to read; names the channel files
  virtual std::string OutputBaseName() = 0;     // read anew for each of the three matrix files
  virtual std::string Comment() = 0;            // the comment line of the public CSV
  // The folder of the jobs, the exchange files and out/; asked anew for every name built
  // from it. The window and the command line answer ProgramFolder().
  virtual std::string ExchangeFolder() = 0;

  // Feedback.
  virtual void SetStatusCaption(const std::string& caption) = 0;
  virtual void SetStartEnabled(bool enabled) = 0;
  virtual void SetProgressMaximum(float maximum) = 0;
  virtual void SetProgressValue(float value) = 0;   // once per data row written
  virtual void SetDialogInitialFolder(const std::string& folder) = 0;
  // Shows the closing message and returns when the user has seen it.
  virtual void ShowMessage(const std::string& text) = 0;
};

// Runs the whole sequence on `host`. Returns after the closing message. On failure the run
// stops at the failing step and throws EngineError with the step set (step() and what()); the
// files written before stay, no half-written file is left, and the program goes on.
void RunConversion(RunHost& host);

// The folder that holds the running program (from /proc/self/exe).
std::string ProgramFolder();

}  // namespace accprep
