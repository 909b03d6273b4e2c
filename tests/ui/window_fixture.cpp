#include "window_fixture.hpp"

#include <QSignalSpy>
#include <filesystem>
#include <sstream>

namespace accprep::testing {

QString FakePrompts::RunOpenFileDialog(QFileDialog&) {
  ++dialogShows;
  if (dialogReports.empty()) return QString();
  QString report = dialogReports.front();
  dialogReports.pop_front();
  return report;
}

void FakePrompts::ShowMessage(QWidget*, const QString& text) {
  messages.push_back(text);
  if (whileMessageShown) whileMessageShown();
}

void FakePrompts::ShowFailure(QWidget*, const QString& text) { failures.push_back(text); }

TestWindow MakeTestWindow(std::function<std::string()> exchangeFolder,
                          std::function<void(const RunInputs&, RunObserver&)> run) {
  auto prompts = std::make_unique<FakePrompts>();
  FakePrompts* raw = prompts.get();
  Form1Seams seams{std::move(prompts), std::move(exchangeFolder), std::move(run)};
  return {std::make_unique<Form1>(std::move(seams)), raw};
}

namespace {

// `rows` result records of time and 40 channels, after one header line.
std::string ResultRecord(int rows, double scale) {
  std::ostringstream text;
  text << "time,result\r\n";
  for (int row = 1; row <= rows; ++row) {
    text << row * 0.01;
    for (int channel = 1; channel <= 40; ++channel) text << ',' << channel * scale + row;
    text << "\r\n";
  }
  return text.str();
}

// A job that refuses to run without the exchange CSV, then leaves its result and a spectrum.
std::string ResultJob(const std::string& resultName, const std::string& result) {
  return "test -f \"$here/outacc.csv\" || { echo 'no outacc.csv' >&2; exit 3; }\n"
         "cat > \"$here/" +
         resultName + "\" <<'END'\n" + result +
         "END\n"
         "printf 'Hz,amplitude\\r\\n0.1,2.5\\r\\n' > \"$here/amp3.csv\"\n";
}

}  // namespace

ExchangeFolder::ExchangeFolder() {
  std::filesystem::create_directory(File("out"));
  WriteJob(File("fftvel.bat"), ResultJob("velout.csv", ResultRecord(kVelocityRows, 0.5)));
  WriteJob(File("fftdis.bat"), ResultJob("disout.csv", ResultRecord(kDisplacementRows, 0.25)));
}

std::string ExchangeFolder::Path() const { return folder_.path().string(); }

std::string ExchangeFolder::File(const std::string& name) const { return folder_.File(name); }

void ExchangeFolder::MakeJobFail(const std::string& jobName, int exitCode) {
  WriteJob(File(jobName), "echo 'integration diverged' >&2\nexit " + std::to_string(exitCode));
}

void ExchangeFolder::RemoveOutFolder() { std::filesystem::remove_all(File("out")); }

std::string WriteAccelerationRecord(const std::string& path, int rows) {
  std::ostringstream text;
  text << "test record\r\ntime,channels\r\n";
  for (int row = 1; row <= rows; ++row) {
    text << row * 0.01;
    for (int channel = 1; channel <= 40; ++channel) text << ',' << channel + row * 0.125;
    text << ",7,8\r\n";
  }
  WriteWholeFile(path, text.str());
  return path;
}

bool WaitForRunEnd(Form1& window) {
  if (!window.IsRunning()) return true;
  QSignalSpy finished(&window, &Form1::runFinished);
  return finished.wait(20000);
}

}  // namespace accprep::testing
