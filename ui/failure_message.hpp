#pragma once
// What the window tells the user when a run fails: one short Japanese sentence saying what
// failed, then the run's own details (step, file, line, field, system reason) as the engine
// gave them, so the user can find the file or the line to fix.

#include <QString>
#include <exception>
#include <string>

#include "engine/engine_error.hpp"
#include "ui/run_inputs.hpp"

namespace accprep {

// The sentence for `error` of a run given `inputs`. An input the run refused before it began
// is named from the inputs themselves (no file chosen, a path too short to have a stem, an
// empty or unusable output name, a comment of more than one line). Looks at the file system
// to tell a missing folder from a file that cannot be written.
QString FailureSentence(const EngineError& error, const RunInputs& inputs);

// The whole text of the failure box: the sentence, a blank line, then error.what().
QString FailureText(const EngineError& error, const RunInputs& inputs);

// For a failure that is not an EngineError (out of memory, a fault of the program itself).
QString UnexpectedFailureText(const char* what);

}  // namespace accprep
