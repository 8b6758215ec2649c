#include "roman/roman.h"
namespace roman {
std::int16_t LastHour = 0;
std::int16_t LastMinute = 0;
std::int16_t LastSecond = 0;
}  // namespace roman
