// Roman numerals and the clock text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace roman {

// The time of the last clock text RomanTime produced.
extern std::int16_t LastHour;
extern std::int16_t LastMinute;
extern std::int16_t LastSecond;

// 0..99 as a numeral in the current style (settings MedievalScript,
// ZeroAsDash); the empty text outside that range. Never allocates.
std::string_view RomanNumeral(std::int16_t value);

// The clock text for the current local time ("XIV:XXV:VII"), or the empty
// text when hour, minute and second equal the last ones.
std::string RomanTime();

// ASCII lower case, in place.
void LowerCase(std::string& text);

}  // namespace roman
