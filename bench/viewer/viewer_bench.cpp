// The viewer's speed targets on a 450,000-record conversion: opening its five files, the peaks
// table of --peaks, the window's first channel, the 40 x 100 response spectrum on both cores,
// and redrawing the window for another channel.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "conversion_fixture.hpp"
#include "measures/response_spectrum.hpp"
#include "test_kit.hpp"
#include "viewer/conversion_data.hpp"
#include "viewer/rotd_panel.hpp"
#include "viewer/smoothing_chooser.hpp"
#include "viewer/spectra_panel.hpp"
#include "viewer/station_chooser.hpp"
#include "viewer/table_outputs.hpp"
#include "viewer/viewer_window.hpp"
#include "viewer/work_page.hpp"

namespace {

using namespace accprep;

// One full-size conversion, written once for all benchmarks (it takes a while).
struct BigConversion {
  accprep::testing::TemporaryFolder folder;
  ConversionFiles files;
  BigConversion() {
    accprep::testing::FixtureOptions options;
    options.records = 450000;
    options.spectrumLimit = 262144;
    options.resultDigits = 9;  // as the jobs write them
    files = FindConversionFiles(
        accprep::testing::WriteConversionFixture(folder.path(), "big", options) + ".csv");
  }
};
BigConversion& Big() {
  static BigConversion big;
  return big;
}

void BM_OpenConversion(benchmark::State& state) {
  const ConversionFiles& files = Big().files;
  for (auto _ : state) {
    ConversionData data = LoadConversion(files, kAllConversionFiles);
    benchmark::DoNotOptimize(data.table(ConversionFile::kAcceleration)->rows());
  }
}
BENCHMARK(BM_OpenConversion)->Unit(benchmark::kMillisecond)->Iterations(3);

// What accprep-view --peaks does: the three records loaded, the peaks found and written.
void BM_PeaksTable(benchmark::State& state) {
  Big();  // written before the timing, as for the other benchmarks
  const accprep::testing::TemporaryFolder out;
  for (auto _ : state) {
    std::ostringstream notes;
    WritePeaksTable(Big().files, {}, out.File("peaks.csv"), notes);
  }
}
BENCHMARK(BM_PeaksTable)->Unit(benchmark::kMillisecond)->Iterations(3);

// From opening the window to its first channel drawn, the progress bar running meanwhile
// (the spectra are still being read then). The conversion is written before the timing.
// `tabs_working` counts the tabs' pages that say 読み込み中 or 計算中 at that moment: every
// page whose content is not ready must.
void BM_WindowShowsFirstChannel(benchmark::State& state) {
  Big();
  int working = 0;
  for (auto _ : state) {
    auto window = std::make_unique<ViewerWindow>(1, 0.05);
    window->show();
    window->Open(QString::fromStdString(Big().files.path(ConversionFile::kAcceleration)));
    // The window draws the channel as the records come in, before it says it is loaded.
    while (!window->IsLoaded()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    state.PauseTiming();
    working = 0;
    for (const WorkPage* page : window->findChildren<WorkPage*>()) {
      working += page->IsWorking() ? 1 : 0;
    }
    window.reset();  // waits for the spectra and the measures it went on with
    state.ResumeTiming();
  }
  state.counters["tabs_working"] = working;
}
BENCHMARK(BM_WindowShowsFirstChannel)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// From opening the window until every tab shows its content, with the event loop's longest
// stall meanwhile: a click waits at most that long for its repaint (target 0.3 s).
void BM_WindowSettlesWithoutStalls(benchmark::State& state) {
  Big();
  double longest = 0;
  for (auto _ : state) {
    ViewerWindow window(1, 0.05);
    window.show();
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticks;
    ticks.setInterval(10);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
      longest = std::max(longest, sinceTick.nsecsElapsed() * 1e-9);
      sinceTick.restart();
    });
    ticks.start();
    window.Open(QString::fromStdString(Big().files.path(ConversionFile::kAcceleration)));
    while (!window.IsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  state.counters["longest_stall_s"] = longest;
}
BENCHMARK(BM_WindowSettlesWithoutStalls)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_ResponseSpectrum40x100(benchmark::State& state) {
  static constexpr ConversionFile kAcc[] = {ConversionFile::kAcceleration};
  const ConversionData data = LoadConversion(Big().files, kAcc);
  const ChannelTable& acc = *data.table(ConversionFile::kAcceleration);
  const std::vector<double> periods = ResponsePeriods();
  std::vector<std::span<const double>> channels;
  for (int c = 1; c <= kChannels; ++c) channels.push_back(acc.column(c));
  for (auto _ : state) {
    auto spectra = ComputeAccelerationSpectra(channels, 0.01, periods, 0.05, 2);
    benchmark::DoNotOptimize(spectra.data());
  }
}
BENCHMARK(BM_ResponseSpectrum40x100)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ChannelSwitchRedraw(benchmark::State& state) {
  ViewerWindow window(1, 0.05);
  window.show();
  window.Open(QString::fromStdString(Big().files.path(ConversionFile::kAcceleration)));
  while (!window.IsLoaded()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  int channel = 1;
  for (auto _ : state) {
    channel = channel % 40 + 1;
    window.ShowChannelNow(channel);
  }
}
BENCHMARK(BM_ChannelSwitchRedraw)->Unit(benchmark::kMillisecond)->Iterations(10);

// From a change to the spectra tab's smoothing (Konno-Ohmachi b = 40 and Parzen 0.2 Hz in
// turn, each of three curves of 225,000 bins) or to the response tab's pair of channels (RotD
// at 100 periods) until the tab shows the new curves (target 2 s).
void WaitUntilSettled(ViewerWindow& window) {
  while (!window.IsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}
void BM_SpectraTabAfterSmoothingChange(benchmark::State& state) {
  ViewerWindow window(1, 0.05);
  window.show();
  window.Open(QString::fromStdString(Big().files.path(ConversionFile::kAcceleration)));
  WaitUntilSettled(window);
  SmoothingChooser* chooser = window.findChild<SpectraPanel*>()->chooser();
  bool konnoOhmachi = false;
  for (auto _ : state) {
    konnoOhmachi = !konnoOhmachi;
    chooser->SetSmoothing(konnoOhmachi
                              ? SpectralSmoothing{SpectralSmoothing::Kind::kKonnoOhmachi, 40}
                              : SpectralSmoothing{SpectralSmoothing::Kind::kParzen, 0.2});
    WaitUntilSettled(window);
  }
}
BENCHMARK(BM_SpectraTabAfterSmoothingChange)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

void BM_ResponseTabAfterPairChange(benchmark::State& state) {
  ViewerWindow window(1, 0.05);
  window.show();
  window.Open(QString::fromStdString(Big().files.path(ConversionFile::kAcceleration)));
  WaitUntilSettled(window);
  StationChooser* chooser = window.findChild<RotDPanel*>()->chooser();
  int first = 1;
  for (auto _ : state) {
    first = first % 38 + 1;
    chooser->SetComponents({first, first + 1, first + 2});
    WaitUntilSettled(window);
  }
}
BENCHMARK(BM_ResponseTabAfterPairChange)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
