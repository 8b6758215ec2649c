#include "clock/horae.h"

#include <array>
#include <cmath>

namespace clep {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadians = kPi / 180;
constexpr UnixSeconds kDay = 86400;

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return std::int64_t{era} * 146097 + doe - 719468;
}

// 12:00 of a day's mean solar time at a longitude, in UTC.
double MeanNoon(std::int64_t days, double longitude) {
  return static_cast<double>(days * kDay) + kDay * 0.5 - longitude * 240;
}

std::int64_t MeanSolarDay(UnixSeconds moment, double longitude) {
  const double local = static_cast<double>(moment) + longitude * 240;
  return static_cast<std::int64_t>(std::floor(local / kDay));
}

struct SunPosition {
  double hourAngle;  // local, degrees, -180..180
  double declination;
  double cosTarget;  // of the hour angle at which the upper edge meets the horizon
};

// The low-precision sun of J. Meeus, Astronomical Algorithms (2nd ed.),
// ch. 25 and 12, as the NOAA calculator has it: 0.01 degree from 1800 to
// 2200. Universal time stands in for dynamical time: the sun moves under 2"
// in the difference.
SunPosition SunAt(double unix, const Place& place) {
  const double d = unix / kDay - 10957.5;  // days from J2000.0
  const double t = d / 36525;
  const double meanLongitude = 280.46646 + t * (36000.76983 + t * 0.0003032);
  const double anomaly = (357.52911 + t * (35999.05029 - t * 0.0001537)) * kRadians;
  const double eccentricity = 0.016708634 - t * (0.000042037 + t * 0.0000001267);
  const double centre = (1.914602 - t * (0.004817 + t * 0.000014)) * std::sin(anomaly) +
                        (0.019993 - t * 0.000101) * std::sin(2 * anomaly) +
                        0.000289 * std::sin(3 * anomaly);
  const double node = (125.04 - 1934.136 * t) * kRadians;
  const double nutation = -0.00478 * std::sin(node);
  const double longitude = (meanLongitude + centre - 0.00569 + nutation) * kRadians;
  const double obliquity =
      (23.43929111 - t * (0.013004167 + t * (1.64e-7 - t * 5.036e-7)) + 0.00256 * std::cos(node)) *
      kRadians;
  const double rightAscension =
      std::atan2(std::cos(obliquity) * std::sin(longitude), std::cos(longitude)) / kRadians;
  const double declination = std::asin(std::sin(obliquity) * std::sin(longitude));
  // Apparent sidereal time, so that the hour angle carries the same nutation.
  const double sidereal =
      280.46061837 + 360.98564736629 * d + 0.000387933 * t * t + nutation * std::cos(obliquity);
  double hourAngle = std::fmod(sidereal + place.longitude - rightAscension, 360.0);
  hourAngle += hourAngle > 180 ? -360 : hourAngle < -180 ? 360 : 0;
  // 34' of refraction and the disc's radius, which the distance changes by
  // 1.7 % (a few seconds at the polar circles); the parallax lifts it 9".
  const double trueAnomaly = anomaly + centre * kRadians;
  const double distance =
      1.000001018 * (1 - eccentricity * eccentricity) / (1 + eccentricity * std::cos(trueAnomaly));
  const double altitude = (-34.0 / 60 - 0.266563 / distance + 0.00244 / distance) * kRadians;
  const double latitude = place.latitude * kRadians;
  const double cosTarget = (std::sin(altitude) - std::sin(latitude) * std::sin(declination)) /
                           (std::cos(latitude) * std::cos(declination));
  return {hourAngle, declination, cosTarget};
}

// The rising (-1) or setting (+1) nearest the estimate, by Newton's steps
// on the hour angle, the sun's place taken afresh at each estimate. Beyond
// the polar edge within the day the target is clamped to noon or midnight.
double Event(double estimate, int side, const Place& place) {
  for (int pass = 0; pass < 2; ++pass) {
    const SunPosition sun = SunAt(estimate, place);
    const double target =
        side * std::acos(std::fmax(-1.0, std::fmin(1.0, sun.cosTarget))) / kRadians;
    double step = target - sun.hourAngle;
    step += step > 180 ? -360 : step < -180 ? 360 : 0;
    estimate += step * 240;  // 15 degrees an hour
  }
  return estimate;
}

UnixSeconds Round(double seconds) {
  return static_cast<UnixSeconds>(std::floor(seconds + 0.5));
}

SunDay SunOnDay(std::int64_t days, const Place& place) {
  const double noon = MeanNoon(days, place.longitude);
  const SunPosition sun = SunAt(noon, place);
  // The day's kind is the sun's at its mean noon: at the edge, a rising or
  // setting that only the day's last hours would have is left out.
  if (sun.cosTarget > 1) {
    return {SunDay::Kind::kNeverRises, 0, 0};
  }
  if (sun.cosTarget < -1) {
    return {SunDay::Kind::kNeverSets, 0, 0};
  }
  const double transit = noon - sun.hourAngle * 240;
  const double halfDay = std::acos(sun.cosTarget) / kRadians * 240;
  return {SunDay::Kind::kRisesAndSets, Round(Event(transit - halfDay, -1, place)),
          Round(Event(transit + halfDay, +1, place))};
}

// A day's light from sunrise to sunset, or from 06:00 to 18:00 of mean solar
// time when the sun does not both rise and set on it.
struct Light {
  UnixSeconds start;
  UnixSeconds end;
};

Light LightOf(std::int64_t days, const Place& place) {
  const SunDay sun = SunOnDay(days, place);
  if (sun.kind == SunDay::Kind::kRisesAndSets) {
    return {sun.rise, sun.set};
  }
  const double noon = MeanNoon(days, place.longitude);
  return {Round(noon - 6 * 3600), Round(noon + 6 * 3600)};
}

constexpr std::array<std::string_view, 12> kOrdinals = {
    "prima",   "secunda", "tertia", "quarta", "quinta",   "sexta",
    "septima", "octava",  "nona",   "decima", "undecima", "duodecima"};

void AppendTwoDigits(std::string& text, int value) {
  text += static_cast<char>('0' + value / 10 % 10);
  text += static_cast<char>('0' + value % 10);
}

void AppendTime(std::string& text, const LocalTime& time) {
  AppendTwoDigits(text, time.hour);
  text += ':';
  AppendTwoDigits(text, time.minute);
}

}  // namespace

SunDay SunOn(int year, int month, int day, const Place& place) {
  return SunOnDay(DaysFromCivil(year, month, day), place);
}

// The days and nights follow one another without a gap: a day runs from its
// start to its sunset, the night from there to the next day's start, and a
// day starts at its sunrise or at the previous day's end, whichever is later
// (where the sun barely dips, a sunset can fall seconds after the next
// sunrise). A day without both a sunrise and a sunset keeps 06:00 to 18:00,
// so at the change to or from a polar day or night one night is longer or
// shorter than its neighbours. Each span's hours are cut at whole seconds,
// each its twelfth rounded down, so that one hour ends where the next starts.
RomanHour RomanHourAt(UnixSeconds moment, const Place& place) {
  // The moment's light can be its mean solar day's, the one before's (a sunset
  // after mean midnight) or the one after's (a sunrise before it).
  const std::int64_t today = MeanSolarDay(moment, place.longitude);
  std::array<Light, 4> light{};
  for (std::size_t i = 0; i < light.size(); ++i) {
    light[i] = LightOf(today - 2 + static_cast<std::int64_t>(i), place);
  }
  std::array<UnixSeconds, 6> bounds{};
  for (std::size_t i = 1; i < light.size(); ++i) {
    bounds[2 * i - 2] = light[i].start > light[i - 1].end ? light[i].start : light[i - 1].end;
    bounds[2 * i - 1] = light[i].end;
  }
  std::size_t span = 0;
  while (span + 2 < bounds.size() && moment >= bounds[span + 1]) {
    ++span;
  }
  const UnixSeconds from = bounds[span];
  const UnixSeconds length = bounds[span + 1] - from;
  const auto tick = [&](int k) { return from + length * k / 12; };
  int k = 11;
  while (k > 0 && tick(k) > moment) {
    --k;
  }
  RomanHour hour;
  hour.night = span % 2 == 1;
  hour.hour = k + 1;
  hour.start = tick(k);
  hour.end = tick(k + 1);
  hour.watch = hour.night ? k / 3 + 1 : 0;
  hour.shownStart = hour.night ? tick(k / 3 * 3) : hour.start;
  hour.shownEnd = hour.night ? tick(k / 3 * 3 + 3) : hour.end;
  return hour;
}

std::string HourText(const RomanHour& hour, const ClockStyle& style) {
  std::string text = hour.night ? "vigilia " : "hora ";
  const std::size_t word = text.size();
  text += RomanNumeral(hour.night ? hour.watch : hour.hour, style.subtractive, false);
  if (style.lowercase) {
    LowerCase(text.data() + word, text.size() - word);
  }
  return text;
}

std::array<std::string, 16> EveryHourText(const ClockStyle& style) {
  std::array<std::string, 16> texts;
  for (int k = 1; k <= 16; ++k) {
    RomanHour hour;
    hour.night = k > 12;
    hour.hour = hour.night ? (k - 13) * 3 + 1 : k;
    hour.watch = hour.night ? k - 12 : 0;
    texts[static_cast<std::size_t>(k - 1)] = HourText(hour, style);
  }
  return texts;
}

std::size_t WidestHourText(const ClockStyle& style) {
  std::size_t widest = 0;
  for (const std::string& text : EveryHourText(style)) {
    widest = text.size() > widest ? text.size() : widest;
  }
  return widest;
}

std::string HourName(const RomanHour& hour) {
  const int index = (hour.night ? hour.watch : hour.hour) - 1;
  if (index < 0 || index >= (hour.night ? 4 : 12)) {
    return {};
  }
  std::string name = hour.night ? "vigilia " : "hora ";
  name += kOrdinals[static_cast<std::size_t>(index)];
  name += hour.night ? " noctis" : " diei";
  return name;
}

std::string HourTipLine(const RomanHour& hour, const LocalTime& from, const LocalTime& to) {
  std::string line = HourName(hour);
  line += ", ";
  AppendTime(line, from);
  line += " to ";
  AppendTime(line, to);
  return line;
}

std::string SunLine(const SunDay& sun, const LocalTime& rise, const LocalTime& set) {
  if (sun.kind != SunDay::Kind::kRisesAndSets) {
    return sun.kind == SunDay::Kind::kNeverSets ? "the sun stays up" : "the sun stays down";
  }
  std::string line = "sunrise ";
  AppendTime(line, rise);
  line += ", sunset ";
  AppendTime(line, set);
  return line;
}

}  // namespace clep
