#include "clock/roman.h"

#include <cstring>

namespace clep {

namespace {

// clang-format off
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

std::string_view RomanNumeral(int value, bool medieval, bool zeroAsDash) {
  if (value < 0 || value > 99) {
    return {};
  }
  if (value == 0) {
    return zeroAsDash ? "-" : "";
  }
  return medieval ? kSubtractive[value] : kAdditive[value];
}

void LowerCase(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') {
      text[i] = static_cast<char>(text[i] - 'A' + 'a');
    }
  }
}

int LeadingBlanks(int cells, std::size_t length) {
  const int blanks = (cells * 4 - static_cast<int>(length) - 2) / 2;
  return blanks > 0 ? blanks : 0;
}

void ClockFace::Preset(const LocalTime& now) {
  hour_ = now.hour;
  minute_ = now.minute;
  second_ = now.second;
}

bool ClockFace::Advance(const LocalTime& now, const ClockStyle& style) {
  // Seconds always count, so a change of style shows within a second even
  // when seconds are not displayed.
  if (now.hour == hour_ && now.minute == minute_ && now.second == second_) {
    return false;
  }
  Preset(now);
  const std::string_view parts[3] = {RomanNumeral(now.hour, style.medieval, style.zeroAsDash),
                                     RomanNumeral(now.minute, style.medieval, style.zeroAsDash),
                                     RomanNumeral(now.second, style.medieval, style.zeroAsDash)};
  const std::size_t count = style.seconds ? 3 : 2;
  std::size_t length = count - 1;
  for (std::size_t i = 0; i < count; ++i) {
    length += parts[i].size();
  }
  blanks_ = static_cast<std::size_t>(LeadingBlanks(style.seconds ? 6 : 4, length));
  char* out = line_.data();
  std::memset(out, ' ', blanks_);
  out += blanks_;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) {
      *out++ = ':';
    }
    std::memcpy(out, parts[i].data(), parts[i].size());
    out += parts[i].size();
  }
  length_ = blanks_ + length;
  if (style.lowercase) {
    LowerCase(line_.data() + blanks_, length);
  }
  return true;
}

}  // namespace clep
