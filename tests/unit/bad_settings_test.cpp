// Hand-edited settings: every bad value keeps its default or is applied
// safely. The README's settings table mirrors these rows.
#include <fstream>

#include "settings/settings.h"
#include "ticker_fixture.h"

namespace {

struct BadValue {
  const char* line;       // as written in [Configuration]
  std::int32_t fontSize;  // the setting after the load
  float surfaceSize;      // what the surface shows
  std::int32_t colourText;
  const char* fontFace;
};

constexpr float kInitialSize = 8.25f;

class BadSettingsTest : public TickerFixture, public testing::WithParamInterface<BadValue> {};

TEST_P(BadSettingsTest, KeepsTheDefaultOrAppliesItSafely) {
  const BadValue& row = GetParam();
  std::filesystem::create_directories(dir_ / "exe");
  std::ofstream(IniPath(), std::ios::binary) << "[Configuration]\r\n" << row.line << "\r\n";
  settings::IniPath = IniPath();
  settings::LoadSettings();
  Start();

  EXPECT_EQ(settings::Current.FontSize, row.fontSize);
  EXPECT_EQ(settings::Current.ColourText, row.colourText);
  const sim::Surface& surface = sim::SurfaceState();
  EXPECT_FLOAT_EQ(surface.fontSize, row.surfaceSize);
  EXPECT_EQ(surface.foreColour, row.colourText);
  EXPECT_EQ(surface.fontName, row.fontFace);
  EXPECT_EQ(taskbar::TickerHeight, 14);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadSettingsTest,
    testing::Values(BadValue{"FontSize=99999999999", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"FontSize=-4", -4, kInitialSize, 0, "MS Sans Serif"},
                    BadValue{"FontSize=0", 0, kInitialSize, 0, "MS Sans Serif"},
                    BadValue{"FontSize=10000", 10000, 72, 0, "MS Sans Serif"},
                    BadValue{"FontSize=0x10", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"FontSize=10.5", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"FontSize=1 2", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"FontSize=", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"FontSize=\"12\"", 12, 12, 0, "MS Sans Serif"},
                    BadValue{"FontSize=  12  ", 12, 12, 0, "MS Sans Serif"},
                    BadValue{"ColourText=2147483648", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"ColourText=-2147483649", 8, 8, 0, "MS Sans Serif"},
                    BadValue{"ColourText=2130706687", 8, 8, 2130706687, "MS Sans Serif"},
                    BadValue{"FontName=No Such Font", 8, 8, 0, "No Such Font"}));

}  // namespace
