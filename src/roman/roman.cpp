#include "roman/roman.h"

#include "platform/clock.h"
#include "settings/settings.h"

namespace roman {

std::int16_t LastHour = 0;
std::int16_t LastMinute = 0;
std::int16_t LastSecond = 0;

namespace {

// The numerals of 0..99 by style. Index 0 is unused: zero depends on ZeroAsDash.
// clang-format off
// Additive: IIII, VIIII, XXXX, LXXXX.
constexpr std::string_view kAdditive[100] = {
    "", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "VIIII",
    "X", "XI", "XII", "XIII", "XIIII", "XV", "XVI", "XVII", "XVIII", "XVIIII",
    "XX", "XXI", "XXII", "XXIII", "XXIIII", "XXV", "XXVI", "XXVII", "XXVIII", "XXVIIII",
    "XXX", "XXXI", "XXXII", "XXXIII", "XXXIIII", "XXXV", "XXXVI", "XXXVII", "XXXVIII", "XXXVIIII",
    "XXXX", "XXXXI", "XXXXII", "XXXXIII", "XXXXIIII", "XXXXV", "XXXXVI", "XXXXVII", "XXXXVIII", "XXXXVIIII",
    "L", "LI", "LII", "LIII", "LIIII", "LV", "LVI", "LVII", "LVIII", "LVIIII",
    "LX", "LXI", "LXII", "LXIII", "LXIIII", "LXV", "LXVI", "LXVII", "LXVIII", "LXVIIII",
    "LXX", "LXXI", "LXXII", "LXXIII", "LXXIIII", "LXXV", "LXXVI", "LXXVII", "LXXVIII", "LXXVIIII",
    "LXXX", "LXXXI", "LXXXII", "LXXXIII", "LXXXIIII", "LXXXV", "LXXXVI", "LXXXVII", "LXXXVIII", "LXXXVIIII",
    "LXXXX", "LXXXXI", "LXXXXII", "LXXXXIII", "LXXXXIIII", "LXXXXV", "LXXXXVI", "LXXXXVII", "LXXXXVIII", "LXXXXVIIII",
};
// Subtractive: IV, IX, XL, XC.
constexpr std::string_view kSubtractive[100] = {
    "", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX",
    "X", "XI", "XII", "XIII", "XIV", "XV", "XVI", "XVII", "XVIII", "XIX",
    "XX", "XXI", "XXII", "XXIII", "XXIV", "XXV", "XXVI", "XXVII", "XXVIII", "XXIX",
    "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV", "XXXV", "XXXVI", "XXXVII", "XXXVIII", "XXXIX",
    "XL", "XLI", "XLII", "XLIII", "XLIV", "XLV", "XLVI", "XLVII", "XLVIII", "XLIX",
    "L", "LI", "LII", "LIII", "LIV", "LV", "LVI", "LVII", "LVIII", "LIX",
    "LX", "LXI", "LXII", "LXIII", "LXIV", "LXV", "LXVI", "LXVII", "LXVIII", "LXIX",
    "LXX", "LXXI", "LXXII", "LXXIII", "LXXIV", "LXXV", "LXXVI", "LXXVII", "LXXVIII", "LXXIX",
    "LXXX", "LXXXI", "LXXXII", "LXXXIII", "LXXXIV", "LXXXV", "LXXXVI", "LXXXVII", "LXXXVIII", "LXXXIX",
    "XC", "XCI", "XCII", "XCIII", "XCIV", "XCV", "XCVI", "XCVII", "XCVIII", "XCIX",
};
// clang-format on

}  // namespace

std::string_view RomanNumeral(std::int16_t value) {
  if (value < 0 || value > 99) {
    return {};
  }
  if (value == 0) {
    return settings::Current.ZeroAsDash ? "-" : "";
  }
  return settings::Current.MedievalScript ? kSubtractive[value] : kAdditive[value];
}

std::string RomanTime() {
  const platform::LocalDateTime now = platform::LocalNow();
  const auto hour = static_cast<std::int16_t>(now.hour);
  const auto minute = static_cast<std::int16_t>(now.minute);
  const auto second = static_cast<std::int16_t>(now.second);
  // Seconds always count, so a settings change shows within a second even
  // when seconds are not displayed.
  if (hour == LastHour && minute == LastMinute && second == LastSecond) {
    return {};
  }
  LastHour = hour;
  LastMinute = minute;
  LastSecond = second;

  const std::string_view hourText = RomanNumeral(hour);
  const std::string_view minuteText = RomanNumeral(minute);
  const std::string_view secondText =
      settings::Current.DisplaySeconds ? RomanNumeral(second) : std::string_view();
  std::string text;
  text.reserve(hourText.size() + minuteText.size() + secondText.size() + 2);
  text += hourText;
  text += ':';
  text += minuteText;
  if (settings::Current.DisplaySeconds) {
    text += ':';
    text += secondText;
  }
  return text;
}

void LowerCase(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
}

}  // namespace roman
