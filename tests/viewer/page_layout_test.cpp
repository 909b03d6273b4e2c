#include "viewer/page_layout.hpp"

#include <gtest/gtest.h>

namespace accprep {
namespace {

TEST(PageLayout, LandscapePagesAtTheirResolution) {
  const PageLayout a4 = LandscapePage(PageSize::kA4, 150);
  EXPECT_EQ(a4.layoutWidth, 1123);  // 297 mm at 96 dpi
  EXPECT_EQ(a4.layoutHeight, 794);
  EXPECT_EQ(a4.pixelWidth, 1754);
  EXPECT_EQ(a4.pixelHeight, 1240);
  EXPECT_DOUBLE_EQ(a4.scale, 150.0 / 96.0);
  const PageLayout a3 = LandscapePage(PageSize::kA3, 300);
  EXPECT_EQ(a3.pixelWidth, 4961);
  EXPECT_EQ(a3.pixelHeight, 3508);
  // A3 is A4 doubled: its short side is A4's long side.
  EXPECT_EQ(a3.layoutHeight, a4.layoutWidth);
  for (int dpi : {50, 72, 96, 150, 300, 1200}) {
    for (PageSize page : {PageSize::kA4, PageSize::kA3}) {
      const PageLayout layout = LandscapePage(page, dpi);
      EXPECT_GT(layout.layoutWidth, layout.layoutHeight);
      // The layout is whole pixels: drawn at the scale it covers the image to within one of them.
      EXPECT_NEAR(layout.pixelWidth, layout.layoutWidth * layout.scale, layout.scale) << dpi;
      EXPECT_NEAR(layout.pixelHeight / layout.heightMm * 25.4, dpi, dpi * 0.01);
    }
  }
}

TEST(PageLayout, PageNames) {
  EXPECT_EQ(ParsePageSize("a4"), PageSize::kA4);
  EXPECT_EQ(ParsePageSize("A3"), PageSize::kA3);
  for (const char* wrong : {"", "a", "a5", "b4", "a44", "letter"}) {
    EXPECT_EQ(ParsePageSize(wrong), std::nullopt) << wrong;
  }
  EXPECT_STREQ(PageSizeName(PageSize::kA3), "A3");
}

}  // namespace
}  // namespace accprep
