// Roman numerals and the clock text.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace clep {

// A local calendar date and time of day, as the system reports it.
struct LocalTime {
  int year = 0;    // 1601..30827 on Windows
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

// What the clock text depends on.
struct ClockStyle {
  bool seconds = true;
  bool subtractive = true;  // IV and IX; false gives IIII and VIIII
  bool zeroAsDash = false;
  bool lowercase = false;
  bool romanHours = false;  // "hora III" and "vigilia II" for the civil time
};

// 0..99 as a numeral; the empty text outside that range. Zero is "-" with
// zeroAsDash, else empty.
std::string_view RomanNumeral(int value, bool subtractive, bool zeroAsDash);

// ASCII lower case, in place.
void LowerCase(char* text, std::size_t length);

// The clock's hours and minutes as its text writes them in a style, for a
// screen reader, which tells them once a minute: never the seconds.
std::string SpokenNumerals(const LocalTime& now, const ClockStyle& style);

// Blanks before a clock text of `length` characters in a ticker of `cells`
// cells: four characters a cell, two kept spare, half of the rest in front.
int LeadingBlanks(int cells, std::size_t length);

// The widest line, leading blanks included, that the clock shows in a style,
// given each ASCII character's width in the ticker's font (GDI draws text
// without kerning, so the widths add up).
std::string WidestLine(const ClockStyle& style, const std::array<int, 128>& widths);

// The widest numeral the clock shows in a style, by the same widths.
std::string WidestNumeral(const ClockStyle& style, const std::array<int, 128>& widths);

// The length of the longest clock text of a style ("XVIII:XXXVIII:XXXVIII"
// subtractive), so that a text padded to it keeps one width all day.
std::size_t WidestClockText(const ClockStyle& style);

// Milliseconds from a local time (second, millisecond) to the next change
// of the clock text: the next second, or the next minute without seconds.
int MillisecondsToNextChange(int second, int millisecond, bool seconds);

// The ticker's clock text and the memory of the second it shows. Advance
// gives a new text only when hour, minute or second changed, so the ticker
// redraws once a second whatever is shown. No heap allocation.
class ClockFace {
 public:
  // Remembers `now` without making a text: the first text comes with the
  // next second.
  void Preset(const LocalTime& now);
  // True, with a new text, when the time differs from the one remembered.
  bool Advance(const LocalTime& now, const ClockStyle& style);
  // True when `text` (a Roman hour's) differs from the one shown; no second
  // is remembered after it, so that the civil time shows at the next tick.
  bool Show(std::string_view text);
  // "XIV:XXV:VII", in lower case when the style asks.
  std::string_view Text() const { return {line_.data() + blanks_, length_ - blanks_}; }
  // Text() behind the leading blanks that centre it in the ticker.
  std::string_view Line() const { return {line_.data(), length_}; }
  const char* LineCStr() const { return line_.data(); }

 private:
  int hour_ = 0;
  int minute_ = 0;
  int second_ = 0;
  bool showsHour_ = false;
  std::size_t blanks_ = 0;
  std::size_t length_ = 0;
  // Longest line: 11 blanks, "LXXXXVIIII" three times with two colons, a NUL.
  std::array<char, 48> line_{};
};

}  // namespace clep
