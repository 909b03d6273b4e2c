#pragma once
// The text of one integrated value: exactly what the engine's
// FormatSignificant(out, value, 9, NumberForm::Point()) writes, byte for byte, in a fraction
// of its time. A job writes some 40 million of them, and the engine's general rounding to a
// fixed precision costs about 100 ns a value, which alone would take the job over its time.
//
// The value is scaled by an exact power of ten so that its nine digits are the integer part;
// that one rounded product is within 1.2e-7 of the exact one, so wherever the fraction is not
// within 1e-6 of one half the rounding is the one the exact value gives. Near-ties, zero,
// magnitudes outside 1e-14..1e30 and non-finite values are passed to the engine.

namespace accprep {

// Writes at `out` (at least kMaxNumberText bytes) and returns the end. Never allocates.
char* FormatResultNumber(char* out, double value);

}  // namespace accprep
