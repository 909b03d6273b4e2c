#pragma once
// The pages pictures are made for: A4 or A3 in landscape, as engineers print and file them.
// A figure is laid out at the page's size as a screen of 96 dots per inch would show it, so
// its text keeps the point sizes it has on screen (9 points stay 9 points on paper), and a
// PNG is that layout drawn at the resolution asked for.

#include <optional>
#include <string_view>

namespace accprep {

enum class PageSize { kA4, kA3 };

inline constexpr int kLayoutDpi = 96;
inline constexpr int kDefaultPictureDpi = 150;
inline constexpr int kLeastPictureDpi = 50;
inline constexpr int kMostPictureDpi = 1200;

struct PageLayout {
  double widthMm = 0, heightMm = 0;       // the landscape page
  int layoutWidth = 0, layoutHeight = 0;  // the figure's size at kLayoutDpi
  int pixelWidth = 0, pixelHeight = 0;    // the PNG's size at the resolution asked for
  double scale = 1;                       // pixels of the PNG per layout pixel
};

// The landscape page of `page` and a PNG of it at `dpi` (kLeastPictureDpi..kMostPictureDpi).
PageLayout LandscapePage(PageSize page, int dpi = kDefaultPictureDpi);

// "a4" or "a3", any case; none for anything else.
std::optional<PageSize> ParsePageSize(std::string_view text);

// "A4" or "A3".
const char* PageSizeName(PageSize page);

}  // namespace accprep
