#include "tools/line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "clock/date_tip.h"
#include "posix/local_clock.h"

namespace clep::print {

namespace {

// Quotes, backslashes and control characters escaped; other bytes, UTF-8, kept.
std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + '"';
}

std::string Formatted(std::string_view format, std::string_view text, std::string_view tip,
                      std::string_view hora) {
  std::string line;
  for (std::size_t at = 0; at < format.size();) {
    if (format.compare(at, 6, "{text}") == 0) {
      line += text;
      at += 6;
    } else if (format.compare(at, 9, "{tooltip}") == 0) {
      line += tip;
      at += 9;
    } else if (format.compare(at, 6, "{hora}") == 0) {
      line += hora;
      at += 6;
    } else {
      line += format[at++];
    }
  }
  return line;
}

bool Has(const char* format, std::string_view field) {
  return format != nullptr && std::string_view(format).find(field) != std::string_view::npos;
}

}  // namespace

std::string Output(const LocalTime& now, std::time_t moment, const ClockSettings& settings,
                   const Place& place, const Shape& shape) {
  const ClockStyle style = ClockStyleOf(settings);
  const RomanHour hour = RomanHourAt(moment, place);
  const std::string hora = HourText(hour, style);
  ClockFace face;
  face.Preset({0, 0, 0, -1, -1, -1});  // no second remembered: the text comes now
  face.Advance(now, style);
  std::string text = settings.romanHours ? hora : std::string(face.Text());
  if (shape.pad) {
    // Half the spare room in front, as the ticker centres its text.
    const std::size_t spare = WidestClockText(style) - text.size();
    text = std::string(spare / 2, ' ') + text + std::string(spare - spare / 2, ' ');
  }
  std::string tip =
      settings.toolTip ? DateTipText(now, TipStyleOf(settings), LongDateText) : std::string();
  if (settings.romanHours) {
    const std::string span =
        HourTipLine(hour, LocalTimeAt(hour.shownStart), LocalTimeAt(hour.shownEnd));
    tip = tip.empty() ? span : span + '\n' + tip;
  }
  const std::string line =
      shape.format != nullptr ? Formatted(shape.format, text, tip, hora) : text;
  if (shape.json) {
    return "{\"text\": " + JsonString(line) + ", \"tooltip\": " + JsonString(tip) +
           ", \"hora\": " + JsonString(hora) + ", \"class\": \"clepsydrium\"}\n";
  }
  return shape.follow || shape.format != nullptr ? line + '\n' : line + '\n' + tip + '\n';
}

bool ShowsOnlyTheHour(const ClockSettings& settings, const Shape& shape) {
  if (shape.json || Has(shape.format, "{tooltip}")) {
    return false;
  }
  return shape.format == nullptr ? settings.romanHours
                                 : settings.romanHours || !Has(shape.format, "{text}");
}

Place PlaceFor(const ClockSettings& settings, const std::optional<Place>& given) {
  return given ? *given : HoursPlace(settings, {}, StandardMinutesEast());
}

int WriteFailed() {
  std::fprintf(stderr, "clepsydrium-print: cannot write: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace clep::print
