#include "engine/run_step.hpp"

namespace accprep {

int StepNumber(RunStep step) {
  switch (step) {
    case RunStep::kCreateTable:
      return 1;
    case RunStep::kReadRecord:
      return 4;
    case RunStep::kCreateAccelerationMatrix:
      return 6;
    case RunStep::kRemoveBaseline:
      return 7;
    case RunStep::kWriteAccelerationMatrix:
      return 8;
    case RunStep::kNameChannelFiles:
      return 10;
    case RunStep::kWritePublicCsv:
      return 11;
    case RunStep::kWriteExchangeCsv:
      return 12;
    case RunStep::kRunVelocityJob:
      return 14;
    case RunStep::kCopyVelocityResults:
      return 15;
    case RunStep::kReadVelocityResult:
      return 16;
    case RunStep::kWriteVelocityMatrix:
      return 18;
    case RunStep::kDeleteVelocityFiles:
      return 19;
    case RunStep::kRunDisplacementJob:
      return 20;
    case RunStep::kCopyDisplacementResults:
      return 21;
    case RunStep::kReadDisplacementResult:
      return 22;
    case RunStep::kWriteDisplacementMatrix:
      return 24;
    case RunStep::kDeleteDisplacementFiles:
      return 25;
    case RunStep::kDeleteExchangeCsv:
      return 25;
  }
  return 0;
}

const char* StepName(RunStep step) {
  switch (step) {
    case RunStep::kCreateTable:
      return "creating the sample table";
    case RunStep::kReadRecord:
      return "reading the acceleration record";
    case RunStep::kCreateAccelerationMatrix:
      return "creating the acceleration matrix";
    case RunStep::kRemoveBaseline:
      return "removing the baseline";
    case RunStep::kWriteAccelerationMatrix:
      return "writing the acceleration matrix";
    case RunStep::kNameChannelFiles:
      return "naming the channel files";
    case RunStep::kWritePublicCsv:
      return "writing the public acceleration CSV";
    case RunStep::kWriteExchangeCsv:
      return "writing the exchange CSV";
    case RunStep::kRunVelocityJob:
      return "running the velocity job";
    case RunStep::kCopyVelocityResults:
      return "copying the velocity results";
    case RunStep::kReadVelocityResult:
      return "reading the velocity result";
    case RunStep::kWriteVelocityMatrix:
      return "writing the velocity matrix";
    case RunStep::kDeleteVelocityFiles:
      return "deleting the velocity exchange files";
    case RunStep::kRunDisplacementJob:
      return "running the displacement job";
    case RunStep::kCopyDisplacementResults:
      return "copying the displacement results";
    case RunStep::kReadDisplacementResult:
      return "reading the displacement result";
    case RunStep::kWriteDisplacementMatrix:
      return "writing the displacement matrix";
    case RunStep::kDeleteDisplacementFiles:
      return "deleting the displacement exchange files";
    case RunStep::kDeleteExchangeCsv:
      return "deleting the exchange files";
  }
  return "";
}

}  // namespace accprep
