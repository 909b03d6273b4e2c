#pragma once
// The component of a trace: K-NET files end in .EW, .NS or .UD; KiK-net files in .EW1, .NS1,
// .UD1 (borehole) or .EW2, .NS2, .UD2 (surface). The file name is what tells the six KiK-net
// channels apart, so the component comes from it; the header's Dir. only cross-checks it.

#include <string>

namespace accprep {

// "EW", "NS", "UD", "EW1" ... "UD2", from the extension of `path` in either case. Throws
// DataError kInput naming the file: "not a K-NET or KiK-net file name: the extension is
// not .EW, .NS, .UD or .EW1 ... .UD2".
std::string ComponentOfFile(const std::string& path);

// Where Dir. (header line 13) reads "E-W", "N-S" or "U-D" it must name the component's
// direction; other wordings (KiK-net numbers its channels) are not checked. Throws
// DataError kInput naming the file and line 13:
// "Dir. "N-S" does not match the component EW of the file name".
void CheckDirection(const std::string& component, const std::string& direction,
                    const std::string& file);

}  // namespace accprep
