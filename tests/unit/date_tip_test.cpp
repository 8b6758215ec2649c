#include "roman/date_tip.h"

#include "roman_fixture.h"

namespace {

using DateTipTest = RomanFixture;

platform::LocalDateTime Date(int day, int month, int year) {
  return {year, month, day, 12, 0, 0};
}

TEST_F(DateTipTest, CenturyNumerals) {
  const struct {
    int year;
    const char* additive;
    const char* subtractive;
  } cases[] = {
      {1800, "MDCCC", "MDCCC"}, {1999, "MDCCCC", "MCM"}, {2000, "MM", "MM"},
      {2400, "MMCCCC", "MMCD"}, {2500, "MMD", "MMD"},    {2900, "MMDCCCC", "MMCM"},
      {3099, "MMM", "MMM"},     {1799, "", ""},          {3100, "", ""},
      {-1900, "", ""},
  };
  for (const auto& c : cases) {
    Style(false);
    EXPECT_EQ(roman::CenturyNumerals(c.year), c.additive) << c.year;
    Style(true);
    EXPECT_EQ(roman::CenturyNumerals(c.year), c.subtractive) << c.year;
  }
}

TEST_F(DateTipTest, Examples) {
  const struct {
    platform::LocalDateTime date;
    bool subtractive;
    bool romanYear;
    bool lower;
    const char* tip;
  } cases[] = {
      {Date(2, 1, 2024), true, false, false, "a.d. IV Nonas Ianuarias MMXXIV"},
      {Date(2, 1, 2024), false, false, false, "a.d. IIII Nonas Ianuarias MMXXIIII"},
      {Date(2, 1, 2024), true, false, true, "a.d. iv nonas ianuarias mmxxiv"},
      {Date(2, 1, 2024), true, true, true, "a.d. iv nonas ianuarias mmdcclxxvii a.u.c."},
      {Date(13, 12, 2024), true, false, false, "Idibus Decembribus MMXXIV"},
      {Date(14, 12, 2024), false, true, false,
       "a.d. XVIIII Kalendas Ianuarias MMDCCLXXVIII a.u.c."},
      {Date(14, 12, 2024), true, true, false, "a.d. XIX Kalendas Ianuarias MMDCCLXXVIII a.u.c."},
      {Date(20, 12, 2024), true, false, false, "a.d. XIII Kalendas Ianuarias MMXXV"},
      {Date(1, 1, 2000), true, false, false, "Kalendis Ianuariis MM"},
      {Date(31, 12, 1999), true, false, false, "pridie Kalendas Ianuarias MM"},
      {Date(15, 3, 1999), false, false, false, "Idibus Martiis MDCCCCLXXXXVIIII"},
      {Date(15, 3, 1999), true, false, false, "Idibus Martiis MCMXCIX"},
      {Date(29, 2, 2024), true, false, false, "a.d. I Kalendas Martias MMXXIV"},
      {Date(1, 1, 1799), true, false, false, "Kalendis Ianuariis"},
  };
  for (const auto& c : cases) {
    Style(c.subtractive);
    settings::Current.RomanYear = c.romanYear;
    settings::Current.Lowercase = c.lower;
    roman::LatinDates.Clear();
    roman::BuildLatinDates();
    EXPECT_EQ(roman::DateTipText(c.date), c.tip);
  }
}

// The year counts from 1800 to 3099 after the December and a.u.c. shifts.
TEST_F(DateTipTest, YearBoundaries) {
  const struct {
    platform::LocalDateTime date;
    bool romanYear;
    const char* year;
  } cases[] = {
      {Date(13, 12, 1799), false, ""},
      {Date(14, 12, 1799), false, " MDCCC"},
      {Date(1, 1, 1800), false, " MDCCC"},
      {Date(1, 1, 1799), true, " MMDLII a.u.c."},
      {Date(1, 1, 1601), true, " MMCCCLIV a.u.c."},
      {Date(13, 12, 3099), false, " MMMXCIX"},
      {Date(14, 12, 3099), false, ""},
      {Date(1, 1, 3100), false, ""},
      {Date(13, 12, 2346), true, " MMMXCIX a.u.c."},
      {Date(14, 12, 2346), true, ""},
      {Date(1, 1, 2347), false, " MMCCCXLVII"},
      {Date(1, 1, 2347), true, ""},
      {Date(1, 1, 18000), false, ""},
  };
  for (const auto& c : cases) {
    settings::Current.RomanYear = c.romanYear;
    EXPECT_EQ(roman::RomanYearText(c.date), c.year)
        << c.date.day << '.' << c.date.month << '.' << c.date.year;
  }
}

TEST_F(DateTipTest, YearEndingInZeroZeroShowsNoDash) {
  settings::Current.ZeroAsDash = true;
  EXPECT_EQ(roman::RomanYearText(Date(1, 1, 2100)), " MMC");
}

TEST_F(DateTipTest, LongDateWhenNoLatinText) {
  settings::Current.RomanYear = true;
  settings::Current.Lowercase = true;
  EXPECT_EQ(roman::DateTipText(Date(2, 1, 2024)), "Tuesday, January 2, 2024");
  roman::BuildLatinDates();
  const platform::LocalDateTime impossible = Date(0, 1, 2024);
  EXPECT_EQ(roman::DateTipText(impossible), platform::LongDateText(impossible));
}

}  // namespace
