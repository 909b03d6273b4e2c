// The smoothing chooser: the transfer function's default to begin with, each kind keeping its
// own parameter while another is chosen, and a change said once, only when there is one.
#include "viewer/smoothing_chooser.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>

#include "measures/transfer_function.hpp"

namespace accprep {
namespace {

using Kind = SpectralSmoothing::Kind;

TEST(SmoothingChooser, EachKindKeepsItsParameterAndAChangeIsSaidOnce) {
  static int argc = 1;
  static char name[] = "smoothing_chooser_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);

  SmoothingChooser chooser;
  EXPECT_EQ(chooser.Smoothing(), kDefaultTransferSmoothing);
  int changes = 0;
  QObject::connect(&chooser, &SmoothingChooser::changed, [&changes] { ++changes; });
  auto* kind = chooser.findChild<QComboBox*>();
  auto* parameter = chooser.findChild<QDoubleSpinBox*>();

  parameter->setValue(0.25);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kParzen, 0.25}));
  kind->setCurrentIndex(2);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kKonnoOhmachi, kDefaultKonnoOhmachiB}));
  parameter->setValue(20.0);
  kind->setCurrentIndex(0);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kNone, 0.0}));
  EXPECT_FALSE(parameter->isEnabled());
  kind->setCurrentIndex(1);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kParzen, 0.25}));
  EXPECT_GT(parameter->minimum(), 0.0);  // no bandwidth of 0 Hz to pick
  kind->setCurrentIndex(2);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kKonnoOhmachi, 20.0}));
  EXPECT_EQ(changes, 6);

  chooser.SetSmoothing({Kind::kKonnoOhmachi, 20.0});  // what it shows already
  EXPECT_EQ(changes, 6);
  chooser.SetSmoothing({Kind::kParzen, 0.5});
  EXPECT_EQ(changes, 7);
  EXPECT_EQ(chooser.Smoothing(), (SpectralSmoothing{Kind::kParzen, 0.5}));
  EXPECT_DOUBLE_EQ(parameter->value(), 0.5);
}

}  // namespace
}  // namespace accprep
