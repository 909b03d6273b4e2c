#include "ui/form1_layout.hpp"

#include <cmath>

namespace accprep {

int TwipsToPixels(int twips, double dpiScale) {
  return static_cast<int>(std::lround(twips * dpiScale / kTwipsPerPixelAt96Dpi));
}

QRect TwipsToPixels(const TwipsRect& place, double dpiScale) {
  const int left = TwipsToPixels(place.left, dpiScale);
  const int top = TwipsToPixels(place.top, dpiScale);
  const int right = TwipsToPixels(place.left + place.width, dpiScale);
  const int bottom = TwipsToPixels(place.top + place.height, dpiScale);
  return QRect(left, top, right - left, bottom - top);
}

QSize Form1ClientSize(double dpiScale) {
  return QSize(TwipsToPixels(kForm1ClientWidth, dpiScale),
               TwipsToPixels(kForm1ClientHeight, dpiScale));
}

}  // namespace accprep
