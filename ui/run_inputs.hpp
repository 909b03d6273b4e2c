#pragma once
// The three inputs of a run as the window held them when Start was pressed.

#include <string>

namespace accprep {

struct RunInputs {
  std::string inputPath;       // the selected input path, in the file system's encoding
  std::string outputBaseName;  // the text of Text1
  std::string comment;         // the text of Text2
};

}  // namespace accprep
