#include "measures/oscillator_step.hpp"

#include <cmath>
#include <numbers>

namespace accprep {

OscillatorStep MakeOscillatorStep(double period, double damping, double dt) {
  const double w = 2.0 * std::numbers::pi / period;
  const double h = damping;
  const double root = std::sqrt(1.0 - h * h);
  const double wd = w * root;
  const double e = std::exp(-h * w * dt);
  const double s = std::sin(wd * dt);
  const double c = std::cos(wd * dt);
  const double w2 = w * w;
  const double w3 = w2 * w;
  const double ratio = h / root;

  OscillatorStep r{};
  r.a11 = e * (ratio * s + c);
  r.a12 = e * s / wd;
  r.a21 = -w / root * e * s;
  r.a22 = e * (c - ratio * s);

  const double p = (2.0 * h * h - 1.0) / (w2 * dt);
  const double q = 2.0 * h / (w3 * dt);
  const double cs = c - ratio * s;
  const double ws = wd * s + h * w * c;
  r.b11 = e * ((p + h / w) * s / wd + (q + 1.0 / w2) * c) - q;
  r.b12 = -e * (p * s / wd + q * c) - 1.0 / w2 + q;
  r.b21 = e * ((p + h / w) * cs - (q + 1.0 / w2) * ws) + 1.0 / (w2 * dt);
  r.b22 = -e * (p * cs - q * ws) - 1.0 / (w2 * dt);
  r.twoHw = 2.0 * h * w;
  r.w2 = w2;
  return r;
}

}  // namespace accprep
