#pragma once
// What the window tells the user when a run fails, in Japanese: one short sentence saying
// what failed, chosen by the run's step and refusal; then the details, each on a line of its
// own (the step, the file, the line and field, the reason with the system's own words kept);
// and what to do about it. A raw K-NET/KiK-net file given as the record is named as such, with
// the program that assembles such files.

#include <QString>

#include "engine/engine_error.hpp"

namespace accprep {

// The sentence for `error`. Looks at the file system to tell a missing folder from a file
// that cannot be written.
QString FailureSentence(const EngineError& error);

// What to do about `error`: where the out folder belongs, which file or line to look at, that
// accprep-knet assembles raw K-NET files first, ...
QString FailureRemedy(const EngineError& error);

// The whole text of the failure box: the sentence, a blank line, the details (手順, ファイル,
// 位置, 理由) and the remedy (対処).
QString FailureText(const EngineError& error);

// True when the file's first line starts with "Origin Time": a K-NET or KiK-net ASCII file
// as published, which is no acceleration record of this tool's form.
bool IsRawKnetFile(const std::string& path);

// For a failure that is not an EngineError (out of memory, a fault of the program itself).
QString UnexpectedFailureText(const char* what);

}  // namespace accprep
