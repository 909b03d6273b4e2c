#pragma once
// The steps of a conversion run, in the order a complete run takes them. The number and the
// name are what a failure message shows ("step 14 (running the velocity job)"); the window
// picks its sentence by the step itself, so a renumbered step cannot make it say the wrong
// thing.

namespace accprep {

enum class RunStep {
  kCreateTable,               //  1 creating the sample table
  kReadRecord,                //  4 reading the acceleration record
  kCreateAccelerationMatrix,  //  6 creating the acceleration matrix
  kRemoveBaseline,            //  7 removing the baseline
  kWriteAccelerationMatrix,   //  8 writing the acceleration matrix
  kNameChannelFiles,          // 10 naming the channel files
  kWritePublicCsv,            // 11 writing the public acceleration CSV
  kWriteExchangeCsv,          // 12 writing the exchange CSV
  kRunVelocityJob,            // 14 running the velocity job
  kCopyVelocityResults,       // 15 copying the velocity results
  kReadVelocityResult,        // 16 reading the velocity result
  kWriteVelocityMatrix,       // 18 writing the velocity matrix
  kDeleteVelocityFiles,       // 19 deleting the velocity exchange files
  kRunDisplacementJob,        // 20 running the displacement job
  kCopyDisplacementResults,   // 21 copying the displacement results
  kReadDisplacementResult,    // 22 reading the displacement result
  kWriteDisplacementMatrix,   // 24 writing the displacement matrix
  kDeleteDisplacementFiles,   // 25 deleting the displacement exchange files
  kDeleteExchangeCsv,         // 25 deleting the exchange files
};

// The step's number in the run's fixed sequence (several steps without failures of their
// own, such as a status caption, have numbers but no RunStep).
int StepNumber(RunStep step);
// What the step does, in words: "reading the acceleration record".
const char* StepName(RunStep step);

// Why a run refused its inputs before touching any file.
enum class Refusal {
  kNoInputChosen,         // the input path is empty
  kInputPathTooShort,     // fewer than four characters: no stem for the channel files
  kEmptyBaseName,         // no output base name
  kBaseNameHasSeparator,  // '/' or '\' in the base name: it must name a file in out/
  kBaseNameHasControl,    // a control character in the base name
  kCommentNotOneLine,     // a line break in the comment
  kExchangeFolderBusy,    // another conversion holds the exchange folder
  kNameTooLong,           // an output's name would pass what a file name may hold
  kInputIsExchangeFile,   // the input is an exchange file, which every run removes
  kOutputIsInput,         // an output of the run is its input (by another path or a link)
};

}  // namespace accprep
