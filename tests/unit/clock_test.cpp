// The clock text, the Latin dates and the date tooltip.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "clock/date_tip.h"
#include "clock/latin_dates.h"
#include "clock/roman.h"

namespace clep {
namespace {

TEST(RomanNumeral, TellingValuesInBothStyles) {
  const std::tuple<int, const char*, const char*> rows[] = {
      {4, "IIII", "IV"},
      {9, "VIIII", "IX"},
      {49, "XXXXVIIII", "XLIX"},
      {90, "LXXXX", "XC"},
      {99, "LXXXXVIIII", "XCIX"},
      {0, "-", ""},
      {-1, "", ""},
      {100, "", ""},
  };
  // The dash, only for zero, on for one style and off for the other.
  for (const auto& [value, additive, subtractive] : rows) {
    EXPECT_EQ(RomanNumeral(value, false, true), additive) << value;
    EXPECT_EQ(RomanNumeral(value, true, false), subtractive) << value;
  }
}

TEST(ClockFace, TextPaddingAndCase) {
  const std::tuple<LocalTime, ClockStyle, const char*> rows[] = {
      // the line as the ticker prints it
      {{2024, 1, 2, 18, 38, 28}, {true, true, false, false}, " XVIII:XXXVIII:XXVIII"},
      {{2024, 1, 2, 14, 25, 7}, {false, true, false, false}, "   XIV:XXV"},
      {{2024, 1, 2, 0, 30, 0}, {true, true, false, false}, "        :XXX:"},
      {{2024, 1, 2, 0, 30, 0}, {true, true, true, false}, "       -:XXX:-"},
      // Longer than the ticker's budget: no blanks.
      {{2024, 1, 2, 19, 49, 49}, {true, false, false, false}, "XVIIII:XXXXVIIII:XXXXVIIII"},
  };
  for (const auto& [time, style, line] : rows) {
    ClockFace face;
    EXPECT_TRUE(face.Advance(time, style));
    EXPECT_EQ(face.Line(), line);
  }
}

// What a screen reader hears once a minute: never the seconds, in the style.
TEST(SpokenNumerals, HoursAndMinutesInTheStyle) {
  const std::tuple<LocalTime, ClockStyle, const char*> rows[] = {
      {{2024, 1, 2, 14, 25, 7}, {true, true, false, false}, "XIV:XXV"},
      {{2024, 1, 2, 0, 30, 0}, {true, true, true, false}, "-:XXX"},
      {{2024, 1, 2, 0, 0, 0}, {true, true, false, false}, ":"},
      {{2024, 1, 2, 19, 49, 59}, {true, false, false, true}, "xviiii:xxxxviiii"},
  };
  for (const auto& [time, style, spoken] : rows) {
    EXPECT_EQ(SpokenNumerals(time, style), spoken);
  }
}

TEST(ClockFace, NewTextOnlyInANewSecond) {
  ClockFace face;
  const LocalTime now{2024, 1, 2, 10, 59, 59};
  face.Preset(now);
  EXPECT_FALSE(face.Advance(now, {}));  // the tick right after the preset draws nothing
  const ClockStyle withoutSeconds{false, false, false, false};
  EXPECT_TRUE(face.Advance({2024, 1, 2, 11, 0, 0}, withoutSeconds));
  EXPECT_EQ(face.Text(), "XI:");
  // The same minute shows again once a second, even without seconds.
  EXPECT_TRUE(face.Advance({2024, 1, 2, 11, 0, 1}, withoutSeconds));
  EXPECT_FALSE(face.Advance({2024, 1, 2, 11, 0, 1}, {}));
  EXPECT_EQ(face.Text(), "XI:");
}

// Widths as a font might have them: the letters wide, I and the colon narrow.
TEST(ClockFace, WidestLineInAStyle) {
  std::array<int, 128> widths{};
  widths.fill(7);
  widths['I'] = widths['i'] = widths[':'] = 3;
  widths['-'] = 4;
  const std::tuple<ClockStyle, int, const char*> rows[] = {
      {{false, false, false, false}, 2, "XVIIII:XXXXVIIII"},
      {{true, true, false, false}, 2, "XVIII:XXXVIII:XXXVIII"},
      {{false, true, false, true}, 2, "xviii:xxxviii"},
      // Blanks so wide that the shortest text makes the widest line.
      {{true, true, false, false}, 50, "          ::"},
      {{true, true, true, false}, 50, "        V:V:XV"},
  };
  for (const auto& [style, blank, line] : rows) {
    widths[' '] = blank;
    EXPECT_EQ(WidestLine(style, widths), line);
  }
  widths['V'] = 9;  // the widest minute now differs by style
  EXPECT_EQ(WidestNumeral({true, true, false, false}, widths), "XXXVIII");
  EXPECT_EQ(WidestNumeral({true, false, true, true}, widths), "xxxxviiii");
}

TEST(ClockFace, TheTickWakesAtTheNextChange) {
  const std::tuple<int, int, bool, int> rows[] = {{30, 0, true, 1000},
                                                  {30, 999, true, 1},
                                                  {59, 500, false, 500},
                                                  {0, 0, false, 60000},
                                                  {60, 200, false, 800}};
  for (const auto& [second, millisecond, seconds, wait] : rows) {
    EXPECT_EQ(MillisecondsToNextChange(second, millisecond, seconds), wait)
        << second << "." << millisecond;
  }
}

TEST(LatinDates, SampleDaysInBothStyles) {
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"0703", "Nonis Martiis", "Nonis Martiis"},
      {"1401", "a.d. XVIIII Kalendas Februarias", "a.d. XIX Kalendas Februarias"},
      {"2802", "pridie Kalendas Martias", "pridie Kalendas Martias"},
      {"1203", "a.d. IIII Idus Martias", "a.d. IV Idus Martias"},
      {"3102", "", ""},
      {"0013", "", ""},
      {"01-1", "", ""},
  };
  for (const auto& [key, additive, subtractive] : rows) {
    EXPECT_EQ(LatinDates::For(false).Find(key), additive) << key;
    EXPECT_EQ(LatinDates::For(true).Find(key), subtractive) << key;
  }
}

std::string LongDate(const LocalTime&) {
  return "Long Date";
}

TEST(DateTipText, LatinDateAndYear) {
  // The style: subtractive, zeroAsDash, lowercase, romanYear, feasts.
  const std::tuple<LocalTime, TipStyle, const char*> rows[] = {
      {{2024, 12, 13}, {true, false, false, false}, "Idibus Decembribus MMXXIV"},
      {{2024, 12, 14}, {false, false, false, false}, "a.d. XVIIII Kalendas Ianuarias MMXXV"},
      {{2100, 3, 15}, {true, true, false, false}, "Idibus Martiis MMC"},
      // Outside 1800..3099 after the shifts: the Latin text alone.
      {{1799, 3, 15}, {true, false, false, false}, "Idibus Martiis"},
      {{1047, 3, 15}, {true, false, false, true}, "Idibus Martiis MDCCC a.u.c."},
      {{2347, 3, 15}, {true, false, false, true}, "Idibus Martiis"},
      {{3099, 3, 15}, {true, false, false, false}, "Idibus Martiis MMMXCIX"},
      // The day's feasts after the year, only when asked for.
      {{2026, 12, 17},
       {true, false, false, false, true},
       "a.d. XVI Kalendas Ianuarias MMXXVII, Saturnalia"},
      {{2026, 12, 19},
       {false, true, true, true, true},
       "a.d. xiiii kalendas ianuarias mmdcclxxx a.u.c., saturnalia, opalia"},
      {{1799, 4, 21}, {true, false, false, false, true}, "a.d. XI Kalendas Maias, Parilia"},
      {{2024, 12, 24}, {true, false, false, false, true}, "a.d. IX Kalendas Ianuarias MMXXV"},
      // No Latin text: the locale's long date, never lowered.
      {{2023, 2, 30}, {true, false, true, true, true}, "Long Date"},
  };
  for (const auto& [date, style, tip] : rows) {
    EXPECT_EQ(DateTipText(date, style, LongDate), tip);
  }
  EXPECT_EQ(CenturyNumerals(18000, true), "");
}

}  // namespace
}  // namespace clep
