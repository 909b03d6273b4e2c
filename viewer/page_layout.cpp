#include "viewer/page_layout.hpp"

#include <cctype>
#include <cmath>

namespace accprep {
namespace {
constexpr double kMmPerInch = 25.4;
int Dots(double mm, int dpi) { return static_cast<int>(std::lround(mm / kMmPerInch * dpi)); }
}  // namespace

PageLayout LandscapePage(PageSize page, int dpi) {
  PageLayout layout;
  // ISO 216: A3 is twice A4, its long side A4's short side doubled.
  layout.widthMm = page == PageSize::kA4 ? 297.0 : 420.0;
  layout.heightMm = page == PageSize::kA4 ? 210.0 : 297.0;
  layout.layoutWidth = Dots(layout.widthMm, kLayoutDpi);
  layout.layoutHeight = Dots(layout.heightMm, kLayoutDpi);
  layout.pixelWidth = Dots(layout.widthMm, dpi);
  layout.pixelHeight = Dots(layout.heightMm, dpi);
  layout.scale = static_cast<double>(dpi) / kLayoutDpi;
  return layout;
}

std::optional<PageSize> ParsePageSize(std::string_view text) {
  if (text.size() != 2 || std::tolower(static_cast<unsigned char>(text[0])) != 'a') {
    return std::nullopt;
  }
  if (text[1] == '4') return PageSize::kA4;
  if (text[1] == '3') return PageSize::kA3;
  return std::nullopt;
}

const char* PageSizeName(PageSize page) { return page == PageSize::kA4 ? "A4" : "A3"; }

}  // namespace accprep
