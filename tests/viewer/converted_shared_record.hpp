#pragma once
// The shared K-NET record converted by the built accprep-cli and its shipped jobs, once for a
// suite, in a program folder of the suite's own (its records/knet.csv and the conversion's
// files beside it), and the built viewer run in that folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.hpp"
#include "program_folder.hpp"

namespace accprep::testing {

class ConvertedSharedRecord : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  // accprep-view with `args`, in the folder.
  static ProcessResult RunViewer(std::vector<std::string> args);

  static TestProgramFolder* folder_;
};

}  // namespace accprep::testing
