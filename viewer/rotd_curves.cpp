#include "viewer/rotd_curves.hpp"

#include <new>
#include <stdexcept>

#include "engine/data_error.hpp"
#include "engine/number_format.hpp"
#include "engine/time_step.hpp"
#include "measures/response_spectrum.hpp"

namespace accprep {

RotDCurves ComputeRotDCurves(const ChannelTable* acceleration, const std::string& path,
                             const HorizontalPair& pair, double damping) {
  RotDCurves curves{pair, damping, {}, {}};
  if (acceleration == nullptr) {
    curves.notice = "加速度ファイルがないため計算できません";
    return curves;
  }
  try {
    const double step = UniformTimeStep(acceleration->column(0), path, acceleration->firstLine());
    curves.spectrum = ComputeRotDSpectrum(acceleration->column(pair.horizontal1),
                                          acceleration->column(pair.horizontal2), step,
                                          ResponsePeriods(), damping);
  } catch (const DataError& error) {
    curves.notice = std::string("計算できません: ") + error.what();
  } catch (const std::invalid_argument& error) {
    curves.notice = std::string("計算できません: ") + error.what();
  } catch (const std::bad_alloc&) {
    curves.notice = "メモリが足りないため計算できません";
  }
  return curves;
}

std::string RotDTableText(const RotDCurves& curves) {
  std::string text = "周期 (s)\t" + std::to_string(curves.pair.horizontal1) + "ch PSA (gal)\t" +
                     std::to_string(curves.pair.horizontal2) +
                     "ch PSA (gal)\tRotD50 (gal)\tRotD100 (gal)\n";
  char number[kMaxNumberText];
  const auto append = [&text, &number](double value, char end) {
    text.append(number, FormatNumber(number, value, NumberForm::Point()));
    text += end;
  };
  const RotDSpectrum& spectrum = curves.spectrum;
  for (std::size_t i = 0; i < spectrum.periods.size(); ++i) {
    const RotDValues& v = spectrum.values[i];
    append(spectrum.periods[i], '\t');
    append(v.horizontal1, '\t');
    append(v.horizontal2, '\t');
    append(v.rotd50, '\t');
    append(v.rotd100, '\n');
  }
  return text;
}

}  // namespace accprep
