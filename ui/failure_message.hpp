#pragma once
// What the window tells the user when a run fails: one short Japanese sentence saying what
// failed, chosen by the run's step and refusal, then the run's own details (step, file, line,
// field, system reason) as the engine gave them, so the user can find the file or the line to
// fix.

#include <QString>

#include "engine/engine_error.hpp"

namespace accprep {

// The sentence for `error`. Looks at the file system to tell a missing folder from a file
// that cannot be written.
QString FailureSentence(const EngineError& error);

// The whole text of the failure box: the sentence, a blank line, then error.what().
QString FailureText(const EngineError& error);

// For a failure that is not an EngineError (out of memory, a fault of the program itself).
QString UnexpectedFailureText(const char* what);

}  // namespace accprep
