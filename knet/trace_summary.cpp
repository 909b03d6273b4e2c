#include "knet/trace_summary.hpp"

#include <cmath>
#include <cstdio>

namespace accprep {
namespace {

constexpr double kMaxAccHalfUnit = 0.0005;
constexpr double kDivisionRounding = 1e-9;

}  // namespace

bool PeakAgreesWithMaxAcc(double peakGal, double maxAccGal) {
  return std::abs(peakGal - maxAccGal) <= kMaxAccHalfUnit + kDivisionRounding;
}

std::string TraceSummary(const KnetRecord& record) {
  std::string summary;
  char figures[512];  // room for any %.3f of a finite double
  for (std::size_t index = 0; index < record.traces.size(); ++index) {
    const KnetTrace& trace = record.traces[index];
    const double peak = trace.PeakAboutMean();
    std::snprintf(figures, sizeof figures, "%3zu ", index + 1);
    summary += figures;
    summary += trace.Name();
    std::snprintf(figures, sizeof figures, ": %zu samples, peak %.3f gal, Max. Acc. %.3f gal%s\n",
                  trace.gal.size(), peak, trace.header.maxAccGal,
                  PeakAgreesWithMaxAcc(peak, trace.header.maxAccGal) ? "" : " (differs)");
    summary += figures;
  }
  return summary;
}

}  // namespace accprep
