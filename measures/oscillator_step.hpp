#pragma once
// One step of a damped single-degree-of-freedom oscillator, x'' + 2 h w x' + w^2 x = -a(t),
// w = 2 pi / T, under a ground acceleration that is linear between two samples: the exact
// solution of Nigam and Jennings (1969), [x, v](i+1) = A [x, v](i) + B [a(i), a(i+1)]
// (N. C. Nigam and P. C. Jennings, "Calculation of response spectra from strong-motion
// earthquake records", Bulletin of the Seismological Society of America 59(2), 909-922).
// The response spectra and the long-period class both step their oscillators with it, so
// neither carries a finite-difference error of its own.

namespace accprep {

struct OscillatorStep {
  double a11, a12, a21, a22;
  double b11, b12, b21, b22;
  double twoHw, w2;  // absolute acceleration = -(2 h w v + w^2 x)

  // Advances the displacement x and velocity v (relative to the ground) over one step from
  // the ground acceleration `now` to `next`.
  void Advance(double& x, double& v, double now, double next) const {
    const double xn = (a11 * x + a12 * v) + (b11 * now + b12 * next);
    const double vn = (a21 * x + a22 * v) + (b21 * now + b22 * next);
    x = xn;
    v = vn;
  }
};

// The step for `period` > 0 s, damping 0 <= h < 1 and sample interval `dt` > 0 s; the
// arguments are not checked here.
OscillatorStep MakeOscillatorStep(double period, double damping, double dt);

}  // namespace accprep
