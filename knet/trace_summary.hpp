#pragma once
// The check printed after a record is written: per trace its channel, name, samples, its
// peak about its mean and the file's own Max. Acc., so that a wrong scale factor shows at once.

#include <string>

#include "knet/knet_record.hpp"

namespace accprep {

// The file's Max. Acc. is printed to 3 decimals: a peak agrees with it when it lies within
// half a unit of the last digit (and the rounding of the division).
bool PeakAgreesWithMaxAcc(double peakGal, double maxAccGal);

// One line per trace, each ending in "\n":
// "  1 AOM001 EW: 10200 samples, peak 4.078 gal, Max. Acc. 4.078 gal"
// with " (differs)" appended where PeakAgreesWithMaxAcc is false.
std::string TraceSummary(const KnetRecord& record);

}  // namespace accprep
