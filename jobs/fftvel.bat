#!/bin/sh
# Velocity job: integrates outacc.csv in this folder once, in the frequency domain, and writes
# velout.csv (time and the 40 channels in the record's units x s) and amp3.csv (their Fourier
# amplitude spectra) beside it. The conversion run starts this file and waits for it.
#
# Filter settings, applied as zero-phase Butterworth magnitudes; change them here.
#   highpass_corner  Hz below which drift is removed (0 turns the high-pass off)
#   highpass_order   steepness, 1..12
#   lowpass_corner   Hz above which the record is smoothed (0 turns the low-pass off)
#   lowpass_order    steepness, 1..12
highpass_corner=0.1
highpass_order=4
lowpass_corner=0
lowpass_order=4

# The run starts us by our full path with no working folder: our folder is the exchange folder.
here=$(dirname "$0")
exec "$here/accprep-integrate" velocity "$here" \
  --highpass-corner "$highpass_corner" --highpass-order "$highpass_order" \
  --lowpass-corner "$lowpass_corner" --lowpass-order "$lowpass_order"
