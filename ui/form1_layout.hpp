#pragma once
// Where every control of Form1 sits. The window was laid out in twips (1/1440 inch); at
// 96 dpi one pixel is 15 twips, and on other screens the pixels follow the screen's logical
// DPI so the window keeps its size in inches. Positions are relative to the parent's client
// area (the window, or the frame that holds the control). Nothing is laid out by a layout
// manager: the window is sizable, but its controls never move.

#include <QRect>
#include <QSize>

namespace accprep {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kTwipsPerPixelAt96Dpi = 15;

inline constexpr int kForm1ClientWidth = 9465;
inline constexpr int kForm1ClientHeight = 4935;

inline constexpr TwipsRect kFrame2Place{720, 120, 4215, 855};
inline constexpr TwipsRect kLabel1Place{120, 240, 3855, 495};
inline constexpr TwipsRect kFrame4Place{720, 1080, 4215, 735};
inline constexpr TwipsRect kText2Place{360, 240, 3495, 375};
inline constexpr TwipsRect kFrame1Place{600, 2040, 4335, 735};
inline constexpr TwipsRect kText1Place{360, 240, 3375, 375};
inline constexpr TwipsRect kProgressBar1Place{720, 3000, 5535, 255};
inline constexpr TwipsRect kFrame3Place{600, 3360, 2295, 615};
inline constexpr TwipsRect kLabel2Place{360, 240, 1260, 225};
inline constexpr TwipsRect kCommand1Place{5160, 240, 975, 495};
inline constexpr TwipsRect kCommand2Place{5160, 2160, 1095, 495};
inline constexpr TwipsRect kCommand3Place{5160, 4080, 1095, 495};

// dpiScale: the screen's logical DPI / 96. Each edge is rounded on its own, so a control's
// right edge lands where the layout puts it however the scale rounds.
int TwipsToPixels(int twips, double dpiScale);
QRect TwipsToPixels(const TwipsRect& place, double dpiScale);
QSize Form1ClientSize(double dpiScale);

}  // namespace accprep
