// Loading and writing the options through the real INI store.
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <tuple>

#include "settings/settings.h"
#include "temp_files.h"

namespace {

using namespace std::string_literals;
using settings::ClockSettings;

auto Fields(const ClockSettings& s) {
  return std::tie(s.DisplaySeconds, s.Lowercase, s.Borders, s.ZeroAsDash, s.ToolTip,
                  s.MedievalScript, s.RomanYear, s.ColourText, s.ColourBack, s.FontName, s.FontBold,
                  s.FontItalic, s.FontSize);
}

class SettingsTest : public contract::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    NextFile();
  }
  void TearDown() override {
    settings::Current = ClockSettings{};
    settings::IniPath.clear();
    settings::TickerCells = 0;
    TempDirTest::TearDown();
  }
  void NextFile() { settings::IniPath = NewPath(); }
  void Load(const std::string& configuration) {
    NextFile();
    contract::WriteBytes(settings::IniPath, "[Configuration]\r\n" + configuration + "\r\n");
    settings::LoadSettings();
  }
};

TEST_F(SettingsTest, NoFileGivesDefaults) {
  settings::Current.FontSize = 99;
  settings::LoadSettings();
  EXPECT_EQ(Fields(settings::Current), Fields(ClockSettings{}));
  EXPECT_EQ(settings::Current.ColourBack, static_cast<std::int32_t>(0x8000000F));
  EXPECT_EQ(settings::TickerCells, 6);
  EXPECT_FALSE(contract::ReadBytes(settings::IniPath));
}

TEST_F(SettingsTest, BooleansAreOnOnlyForOne) {
  const struct {
    const char* line;
    bool ClockSettings::*field;
    bool expected;
  } cases[] = {
      {"DisplaySeconds=0", &ClockSettings::DisplaySeconds, false},
      {"DisplaySeconds=", &ClockSettings::DisplaySeconds, true},
      {"DisplaySeconds=yes", &ClockSettings::DisplaySeconds, false},
      {"Lowercase=1", &ClockSettings::Lowercase, true},
      {"Lowercase=true", &ClockSettings::Lowercase, false},
      {"Lowercase=-1", &ClockSettings::Lowercase, false},
      {"lowercase = \"1\" ", &ClockSettings::Lowercase, true},
      {"Borders=01", &ClockSettings::Borders, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Load(c.line);
    EXPECT_EQ(settings::Current.*c.field, c.expected);
    EXPECT_EQ(settings::TickerCells, settings::Current.DisplaySeconds ? 6 : 4);
  }
}

TEST_F(SettingsTest, NumbersAreSignedDecimalOrTheDefault) {
  const struct {
    const char* line;
    std::int32_t ClockSettings::*field;
    std::int32_t expected;
  } cases[] = {
      {"ColourBack=-2147483633", &ClockSettings::ColourBack, settings::kButtonFace},
      {"ColourBack=-2147483648", &ClockSettings::ColourBack, std::numeric_limits<int>::min()},
      {"ColourText=255", &ClockSettings::ColourText, 255},
      {"ColourText=16777215", &ClockSettings::ColourText, 16777215},
      {"FontSize=2147483648", &ClockSettings::FontSize, 8},
      {"ColourBack=-2147483649", &ClockSettings::ColourBack, settings::kButtonFace},
      {"FontSize=+5", &ClockSettings::FontSize, 8},
      {"FontSize=twelve", &ClockSettings::FontSize, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Load(c.line);
    EXPECT_EQ(settings::Current.*c.field, c.expected);
  }
}

// Writes every key in the forms the menu commands use.
void WriteAll(const ClockSettings& s) {
  using settings::BoolText;
  using settings::NumberText;
  using settings::WriteSetting;
  WriteSetting("DisplaySeconds", BoolText(s.DisplaySeconds));
  WriteSetting("Lowercase", BoolText(s.Lowercase));
  WriteSetting("Borders", BoolText(s.Borders));
  WriteSetting("ZeroAsDash", BoolText(s.ZeroAsDash));
  WriteSetting("ToolTip", BoolText(s.ToolTip));
  WriteSetting("MedievalScript", BoolText(s.MedievalScript));
  WriteSetting("RomanYear", BoolText(s.RomanYear));
  WriteSetting("ColourText", NumberText(s.ColourText));
  WriteSetting("ColourBack", NumberText(s.ColourBack));
  WriteSetting("FontName", s.FontName);
  WriteSetting("FontSize", NumberText(s.FontSize));
  WriteSetting("FontBold", BoolText(s.FontBold));
  WriteSetting("FontItalic", BoolText(s.FontItalic));
}

TEST_F(SettingsTest, EveryWrittenValueReadsBack) {
  const ClockSettings flipped{
      false, true, false, true, false, false, true, settings::kButtonFace, 255, "Times New Roman",
      true,  true, 0};
  ClockSettings extremes;  // the default switches, the widest numbers
  extremes.ColourText = std::numeric_limits<int>::min();
  extremes.ColourBack = std::numeric_limits<int>::max();
  extremes.FontSize = 72;
  for (const ClockSettings& wanted : {flipped, extremes, ClockSettings{}}) {
    WriteAll(wanted);  // over what the last round left in the same file
    settings::LoadSettings();
    EXPECT_EQ(Fields(settings::Current), Fields(wanted));
    EXPECT_EQ(settings::TickerCells, wanted.DisplaySeconds ? 6 : 4);
  }
}

TEST_F(SettingsTest, FirstWriteCreatesTheFileWithThatKeyOnly) {
  settings::WriteSetting("Lowercase", "1");
  EXPECT_EQ(contract::ReadBytes(settings::IniPath), "[Configuration]\r\nLowercase=1\r\n");
}

// Whatever the file holds, the load finishes and a written key reads back.
TEST_F(SettingsTest, AnyBytesLoad) {
  const std::string pieces[] = {
      "[Configuration]", "=",        "\r\n",           "\n",        " ", "\"", "FontSize", "\0"s,
      "\xEF\xBB\xBF",    "\xFF\xFE", "DisplaySeconds", "FontName=", "[", "]"};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::string bytes;
    const std::size_t length = random() % 3000;
    while (bytes.size() < length) {
      if (random() % 4 == 0) {
        bytes += pieces[random() % std::size(pieces)];
      } else {
        bytes += static_cast<char>(random());
      }
    }
    NextFile();
    contract::WriteBytes(settings::IniPath, bytes);
    settings::LoadSettings();
    EXPECT_EQ(settings::TickerCells, settings::Current.DisplaySeconds ? 6 : 4);
    EXPECT_LE(settings::Current.FontName.size(), 254u);
    settings::WriteSetting("FontSize", "12");
    settings::LoadSettings();
    EXPECT_EQ(settings::Current.FontSize, 12);
  }
}

TEST_F(SettingsTest, HugeLinesAndNulBytesLoad) {
  const std::string huge(1 << 20, 'x');
  Load("FontName=" + huge + "\r\nFontSize=12");
  EXPECT_EQ(settings::Current.FontName, huge.substr(0, 254));
  EXPECT_EQ(settings::Current.FontSize, 12);
  Load("FontSize=" + huge);
  EXPECT_EQ(settings::Current.FontSize, 8);
  Load("FontSize=1\0 2\r\n\0\0\0\r\nLowercase=1"s);
  EXPECT_EQ(settings::Current.FontSize, 1);
  EXPECT_TRUE(settings::Current.Lowercase);
}

}  // namespace
