#pragma once
// A record whose velocity and displacement are known in closed form: the displacement
// d(t) = sin(2 pi f t) exp(-((t - t0)/sigma)^2), differentiated by hand once for the velocity
// and twice for the acceleration a job is fed. With sigma a few periods wide its spectrum is
// a narrow band around f, so a corner well below f leaves it untouched.

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace accprep::testing {

// An error figure against a closed form, for the test report (--gtest_output=xml), where
// to_string would show 0.000000.
inline std::string Scientific(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2e", value);
  return text;
}

struct WindowedSine {
  double frequency = 2.0;  // Hz
  double centre = 10.0;    // t0, s
  double width = 2.0;      // sigma, s
  double amplitude = 1.0;  // of the displacement

  double Displacement(double t) const { return amplitude * std::sin(Omega() * t) * Envelope(t); }
  double Velocity(double t) const {
    const double u = (t - centre) / width;
    const double g = Envelope(t);
    const double g1 = -2.0 * u / width * g;
    return amplitude * (Omega() * std::cos(Omega() * t) * g + std::sin(Omega() * t) * g1);
  }
  double Acceleration(double t) const {
    const double u = (t - centre) / width;
    const double g = Envelope(t);
    const double g1 = -2.0 * u / width * g;
    const double g2 = (4.0 * u * u - 2.0) / (width * width) * g;
    const double w = Omega();
    return amplitude *
           (-w * w * std::sin(w * t) * g + 2.0 * w * std::cos(w * t) * g1 + std::sin(w * t) * g2);
  }

 private:
  double Omega() const { return 2.0 * std::numbers::pi * frequency; }
  double Envelope(double t) const {
    const double u = (t - centre) / width;
    return std::exp(-u * u);
  }
};

}  // namespace accprep::testing
