#include "clock/roman.h"

#include <algorithm>
#include <cstring>

#include "clock/horae.h"

namespace clep {

int MillisecondsToNextChange(int second, int millisecond, bool seconds) {
  // A leap second's 60 counts as the minute's last.
  return (seconds ? 0 : (59 - std::min(second, 59)) * 1000) + 1000 - millisecond;
}

namespace {

// The digits of each style, additive (IIII, XXXX) then subtractive (IV, XL).
constexpr std::string_view kUnits[2][10] = {
    {"", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "VIIII"},
    {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"}};
constexpr std::string_view kTens[2][10] = {
    {"", "X", "XX", "XXX", "XXXX", "L", "LX", "LXX", "LXXX", "LXXXX"},
    {"", "X", "XX", "XXX", "XL", "L", "LX", "LXX", "LXXX", "XC"}};

constexpr std::size_t TextLength(int style) {
  std::size_t length = 0;
  for (int value = 0; value < 100; ++value) {
    length += kTens[style][value / 10].size() + kUnits[style][value % 10].size();
  }
  return length;
}

// The hundred numerals of a style, made from the digits at compile time and
// kept end to end: a third of the room of a table of separate texts.
template <int Style>
struct Numerals {
  char text[TextLength(Style)] = {};
  unsigned short end[100] = {};

  constexpr Numerals() {
    std::size_t at = 0;
    for (int value = 0; value < 100; ++value) {
      for (std::string_view digit : {kTens[Style][value / 10], kUnits[Style][value % 10]}) {
        for (char c : digit) {
          text[at++] = c;
        }
      }
      end[value] = static_cast<unsigned short>(at);
    }
  }
  constexpr std::string_view operator[](int value) const {
    const std::size_t start = value == 0 ? 0 : end[value - 1];
    return {text + start, end[value] - start};
  }
};

constexpr Numerals<0> kAdditive;
constexpr Numerals<1> kSubtractive;
static_assert(kSubtractive[94] == "XCIV" && kAdditive[49] == "XXXXVIIII");

}  // namespace

std::string_view RomanNumeral(int value, bool subtractive, bool zeroAsDash) {
  if (value < 0 || value > 99) {
    return {};
  }
  if (value == 0) {
    return zeroAsDash ? "-" : "";
  }
  return subtractive ? kSubtractive[value] : kAdditive[value];
}

void LowerCase(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') {
      text[i] = static_cast<char>(text[i] - 'A' + 'a');
    }
  }
}

std::string SpokenNumerals(const LocalTime& now, const ClockStyle& style) {
  std::string text(RomanNumeral(now.hour, style.subtractive, style.zeroAsDash));
  text.append(1, ':').append(RomanNumeral(now.minute, style.subtractive, style.zeroAsDash));
  if (style.lowercase) {
    LowerCase(text.data(), text.size());
  }
  return text;
}

int LeadingBlanks(int cells, std::size_t length) {
  const int blanks = (cells * 4 - static_cast<int>(length) - 2) / 2;
  return blanks > 0 ? blanks : 0;
}

namespace {
int WidthOf(std::string_view text, const std::array<int, 128>& widths) {
  int sum = 0;
  for (char c : text) {
    sum += widths[static_cast<unsigned char>(c) & 0x7F];
  }
  return sum;
}

}  // namespace

std::string WidestNumeral(const ClockStyle& style, const std::array<int, 128>& widths) {
  std::string widest;
  if (style.romanHours) {  // a stacked ticker's lines are the words
    for (const std::string& text : EveryHourText(style)) {
      for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (WidthOf(text.substr(start, end - start), widths) > WidthOf(widest, widths)) {
          widest = text.substr(start, end - start);
        }
        start = end + 1;
      }
    }
    return widest;
  }
  for (int value = 0; value < 60; ++value) {
    std::string text(RomanNumeral(value, style.subtractive, style.zeroAsDash));
    if (style.lowercase) {
      LowerCase(text.data(), text.size());
    }
    if (WidthOf(text, widths) > WidthOf(widest, widths)) {
      widest = text;
    }
  }
  return widest;
}

std::string WidestLine(const ClockStyle& style, const std::array<int, 128>& widths) {
  auto width = [&widths](std::string_view text) { return WidthOf(text, widths); };
  if (style.romanHours) {
    std::string widest;
    for (const std::string& text : EveryHourText(style)) {
      const std::string line =
          std::string(static_cast<std::size_t>(LeadingBlanks(4, text.size())), ' ') + text;
      widest = width(line) > width(widest) ? line : widest;
    }
    return widest;
  }
  // Numerals of one length differ only in their letters: the line is widest
  // with the widest numeral of each length, and the lengths set the blanks.
  const int parts = style.seconds ? 3 : 2;
  std::string widest[2][10];  // hours, then minutes and seconds, by length
  for (int value = 0; value < 60; ++value) {
    std::string text(RomanNumeral(value, style.subtractive, style.zeroAsDash));
    if (style.lowercase) {
      LowerCase(text.data(), text.size());
    }
    for (int kind = value < 24 ? 0 : 1; kind < 2; ++kind) {
      std::string& best = widest[kind][text.size()];
      if (best.empty() || width(text) > width(best)) {
        best = text;
      }
    }
  }
  std::string result;
  int resultWidth = -1;
  for (int code = 0; code < 1000; ++code) {
    const int lengths[3] = {code / 100, code / 10 % 10, code % 10};
    if (parts == 2 && lengths[2] != 0) {
      continue;
    }
    std::string text;
    bool shown = true;
    for (int i = 0; i < parts; ++i) {
      const std::string& numeral = widest[i == 0 ? 0 : 1][lengths[i]];
      shown = shown && (!numeral.empty() || (lengths[i] == 0 && !style.zeroAsDash));
      text += (i > 0 ? ":" : "") + numeral;
    }
    const std::string line =
        std::string(static_cast<std::size_t>(LeadingBlanks(parts == 3 ? 6 : 4, text.size())), ' ') +
        text;
    if (shown && width(line) > resultWidth) {
      result = line;
      resultWidth = width(line);
    }
  }
  return result;
}

std::size_t WidestClockText(const ClockStyle& style) {
  if (style.romanHours) {
    return WidestHourText(style);
  }
  std::size_t hour = 0;
  std::size_t sixty = 0;
  for (int value = 0; value < 60; ++value) {
    const std::size_t length = RomanNumeral(value, style.subtractive, style.zeroAsDash).size();
    hour = value < 24 ? std::max(hour, length) : hour;
    sixty = std::max(sixty, length);
  }
  return hour + 1 + sixty + (style.seconds ? 1 + sixty : 0);
}

bool ClockFace::Show(std::string_view text) {
  const bool again = showsHour_ && text == Text();
  Preset({0, 0, 0, -1, -1, -1});
  showsHour_ = true;
  const auto blanks = static_cast<std::size_t>(LeadingBlanks(4, text.size()));
  if (again || blanks + text.size() >= line_.size()) {
    return false;
  }
  blanks_ = blanks;
  std::memset(line_.data(), ' ', blanks_);
  std::memcpy(line_.data() + blanks_, text.data(), text.size());
  length_ = blanks_ + text.size();
  line_[length_] = '\0';
  return true;
}

void ClockFace::Preset(const LocalTime& now) {
  showsHour_ = false;
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
  const std::string_view parts[3] = {RomanNumeral(now.hour, style.subtractive, style.zeroAsDash),
                                     RomanNumeral(now.minute, style.subtractive, style.zeroAsDash),
                                     RomanNumeral(now.second, style.subtractive, style.zeroAsDash)};
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
  line_[length_] = '\0';
  if (style.lowercase) {
    LowerCase(line_.data() + blanks_, length);
  }
  return true;
}

}  // namespace clep
