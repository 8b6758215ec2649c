#include "roman/roman.h"

#include <cstdlib>
#include <new>
#include <string>

#include "roman_fixture.h"

// Counts heap allocations while countAllocations is set; otherwise plain malloc.
namespace {
bool countAllocations = false;
int allocationCount = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (countAllocations) {
    ++allocationCount;
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
// The library's array forms forward to these.
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace {

using RomanNumeralTest = RomanFixture;
using RomanTimeTest = RomanFixture;

platform::LocalDateTime At(int hour, int minute, int second) {
  return {2024, 1, 2, hour, minute, second};
}

TEST_F(RomanNumeralTest, EveryValueFollowsTheDigitRule) {
  const char* const units[2][10] = {
      {"", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "VIIII"},
      {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"}};
  const char* const tens[2][10] = {
      {"", "X", "XX", "XXX", "XXXX", "L", "LX", "LXX", "LXXX", "LXXXX"},
      {"", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"}};
  for (std::int16_t value = 1; value <= 99; ++value) {
    for (int style = 0; style < 2; ++style) {
      Style(style == 1);
      EXPECT_EQ(roman::RomanNumeral(value),
                std::string(tens[style][value / 10]) + units[style][value % 10])
          << value << " style " << style;
    }
  }
}

TEST_F(RomanNumeralTest, ZeroAndOutOfRange) {
  for (int value : {-32768, -1, 100, 32767}) {
    EXPECT_EQ(roman::RomanNumeral(static_cast<std::int16_t>(value)), "") << value;
  }
  EXPECT_EQ(roman::RomanNumeral(0), "");
  settings::Current.ZeroAsDash = true;
  EXPECT_EQ(roman::RomanNumeral(0), "-");
}

TEST_F(RomanTimeTest, Examples) {
  struct Case {
    platform::LocalDateTime now;
    bool seconds;
    bool subtractive;
    bool dash;
    const char* text;
  };
  const Case cases[] = {
      {At(14, 25, 7), true, false, false, "XIIII:XXV:VII"},
      {At(14, 25, 7), true, true, true, "XIV:XXV:VII"},
      {At(23, 59, 59), true, false, false, "XXIII:LVIIII:LVIIII"},
      {At(0, 30, 0), true, true, false, ":XXX:"},
      {At(0, 30, 0), true, false, true, "-:XXX:-"},
      {At(12, 0, 1), false, true, false, "XII:"},
      {At(0, 5, 1), false, true, true, "-:V"},
  };
  for (const Case& c : cases) {
    settings::Current.DisplaySeconds = c.seconds;
    Style(c.subtractive);
    settings::Current.ZeroAsDash = c.dash;
    roman::LastSecond = -1;
    sim::SetLocalTime(c.now);
    EXPECT_EQ(roman::RomanTime(), c.text);
  }
}

TEST_F(RomanTimeTest, SameSecondGivesEmptyTextWithoutAllocating) {
  Style(false);
  sim::SetLocalTime(At(23, 59, 59));
  int counts[2] = {};
  std::string texts[2];
  for (int call = 0; call < 2; ++call) {
    allocationCount = 0;
    countAllocations = true;
    texts[call] = roman::RomanTime();
    countAllocations = false;
    counts[call] = allocationCount;
  }
  // The first text is too long for the short-string buffer: proof the count works.
  EXPECT_EQ(texts[0], "XXIII:LVIIII:LVIIII");
  EXPECT_GT(counts[0], 0);
  EXPECT_EQ(texts[1], "");
  EXPECT_EQ(counts[1], 0);
}

// Seconds are compared even when hidden, so the same minute gives text again
// each second, and a settings change shows without any reset. The state
// starts at 00:00:00, so an unpreset first call at midnight gives nothing.
TEST_F(RomanTimeTest, NewTextEverySecondAcrossAnHour) {
  settings::Current.DisplaySeconds = false;
  Style(false);
  const struct {
    platform::LocalDateTime now;
    bool dash;
    const char* text;
  } steps[] = {
      {At(0, 0, 0), false, ""},     {At(10, 59, 59), false, "X:LVIIII"},
      {At(10, 59, 59), false, ""},  {At(11, 0, 0), true, "XI:-"},
      {At(11, 0, 1), false, "XI:"}, {At(11, 0, 1), false, ""},
  };
  for (const auto& step : steps) {
    settings::Current.ZeroAsDash = step.dash;
    sim::SetLocalTime(step.now);
    EXPECT_EQ(roman::RomanTime(), step.text) << step.now.second;
  }
}

TEST(LowerCaseTest, LowersAsciiLettersOnly) {
  std::string text = "Kalendis Ianuariis MMXXIV a.u.c. \xC3\x89\xC3\xA9 [@Z]";
  roman::LowerCase(text);
  EXPECT_EQ(text, "kalendis ianuariis mmxxiv a.u.c. \xC3\x89\xC3\xA9 [@z]");
}

}  // namespace
