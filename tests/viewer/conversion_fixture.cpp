#include "conversion_fixture.hpp"

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "engine/channel_csv.hpp"
#include "engine/number_format.hpp"

namespace accprep::testing {
namespace {

constexpr int kChannelCount = 40;

class CsvOut {
 public:
  CsvOut(const std::string& path, int digits) : out_(path, std::ios::binary), digits_(digits) {
    if (!out_) throw std::runtime_error("cannot write " + path);
    buffer_.reserve(1 << 20);
  }
  ~CsvOut() { Flush(); }
  void Text(const std::string& text) { buffer_ += text; }
  void Number(double value) {
    char text[kMaxNumberText];
    buffer_.append(text, digits_ > 0 ? FormatSignificant(text, value, digits_, NumberForm::Point())
                                     : FormatNumber(text, value, NumberForm::Point()));
  }
  void Comma() { buffer_ += ','; }
  void EndLine() {
    buffer_ += "\r\n";
    if (buffer_.size() > (1 << 20)) Flush();
  }

 private:
  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }
  std::ofstream out_;
  int digits_;
  std::string buffer_;
};

// columns[c] holds channel c+1.
void WriteRecord(const std::string& path, const char* first, const std::vector<double>& keys,
                 const std::vector<std::vector<double>>& columns, const std::string* comment,
                 int digits = 0) {
  CsvOut out(path, digits);
  if (comment != nullptr) {
    out.Text(*comment);
    out.EndLine();
  }
  out.Text(ChannelCsvHeader(first));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    out.Number(keys[i]);
    for (const auto& column : columns) {
      out.Comma();
      out.Number(column[i]);
    }
    out.EndLine();
  }
}

std::vector<double> Integrate(const std::vector<double>& values, double step) {
  std::vector<double> result(values.size(), 0.0);
  for (std::size_t i = 1; i < values.size(); ++i) {
    result[i] = result[i - 1] + 0.5 * step * (values[i - 1] + values[i]);
  }
  return result;
}

std::vector<double> Amplitudes(const std::vector<double>& values, double step,
                               const std::vector<double>& frequencies, bool exact) {
  std::vector<double> result(frequencies.size());
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    if (!exact) {
      // A smooth positive curve, enough for log axes and loading.
      result[k] = 1.0 / (1.0 + frequencies[k] * frequencies[k]);
      continue;
    }
    double re = 0.0;
    double im = 0.0;
    const double w = 2.0 * std::numbers::pi * frequencies[k] * step;
    for (std::size_t i = 0; i < values.size(); ++i) {
      re += values[i] * std::cos(w * static_cast<double>(i));
      im -= values[i] * std::sin(w * static_cast<double>(i));
    }
    result[k] = std::hypot(re, im) * step;
  }
  return result;
}

}  // namespace

double FixtureAcceleration(int channel, std::int64_t sample, const FixtureOptions& options) {
  const double t = static_cast<double>(sample) * options.step;
  const double duration = static_cast<double>(options.records) * options.step;
  const double window = std::sin(std::numbers::pi * t / duration);
  const double f1 = 0.4 + 0.1 * channel;
  const double f2 = 2.0 + 0.05 * channel;
  return std::round(1e4 * (10.0 + channel) * window * window *
                    (std::sin(2.0 * std::numbers::pi * f1 * t) +
                     0.5 * std::sin(2.0 * std::numbers::pi * f2 * t + channel))) /
         1e4;
}

std::string WriteConversionFixture(const std::filesystem::path& folder, const std::string& name,
                                   const FixtureOptions& options) {
  const std::string stem = (folder / name).string();
  std::vector<double> times(static_cast<std::size_t>(options.records));
  for (std::size_t i = 0; i < times.size(); ++i) {
    times[i] = static_cast<double>(i) * options.step;
  }
  std::vector<std::vector<double>> acc(kChannelCount), vel(kChannelCount), dis(kChannelCount);
  for (int c = 0; c < kChannelCount; ++c) {
    acc[c].resize(times.size());
    for (std::size_t i = 0; i < times.size(); ++i) {
      acc[c][i] = FixtureAcceleration(c + 1, static_cast<std::int64_t>(i), options);
    }
    vel[c] = Integrate(acc[c], options.step);
    dis[c] = Integrate(vel[c], options.step);
  }
  const std::string comment = "fixture record " + name;
  WriteRecord(stem + "_acc.csv", "time", times, acc, options.comment ? &comment : nullptr);
  if (options.accelerationOnly) return stem;
  WriteRecord(stem + "_vel.csv", "time", times, vel, nullptr, options.resultDigits);
  WriteRecord(stem + "_dis.csv", "time", times, dis, nullptr, options.resultDigits);

  const std::int64_t count = std::min(options.records / 2, options.spectrumLimit);
  const bool exact = count <= 4096;
  std::vector<double> frequencies(static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    frequencies[k] =
        static_cast<double>(k + 1) / (static_cast<double>(options.records) * options.step);
  }
  std::vector<std::vector<double>> velAmp(kChannelCount), disAmp(kChannelCount);
  for (int c = 0; c < kChannelCount; ++c) {
    velAmp[c] = Amplitudes(vel[c], options.step, frequencies, exact);
    disAmp[c] = Amplitudes(dis[c], options.step, frequencies, exact);
  }
  WriteRecord(stem + "_velAmp.csv", "freq", frequencies, velAmp, nullptr, options.resultDigits);
  WriteRecord(stem + "_disAmp.csv", "freq", frequencies, disAmp, nullptr, options.resultDigits);
  return stem;
}

}  // namespace accprep::testing
