#include "tools/calendar_text.h"

#include <algorithm>
#include <string_view>

namespace clep::print {

std::string CalendarText(const LatinMonth& shown, int today, bool terminal, bool lowercase) {
  std::size_t width = 0;
  for (const auto& week : shown.weeks) {
    for (const MonthDay& cell : week) {
      width = std::max(width, cell.numeral.size());
    }
  }
  const std::size_t line = 7 * width + 6;
  std::string text(line > shown.title.size() ? (line - shown.title.size()) / 2 : 0, ' ');
  text += shown.title + '\n';
  const auto column = [&](std::string_view cell, std::size_t index, bool marked) {
    text += std::string(width - std::min(width, cell.size()) + (index > 0 ? 1 : 0), ' ');
    text += marked ? "\033[7m" + std::string(cell) + "\033[0m" : std::string(cell);
  };
  for (std::size_t i = 0; i < 7; ++i) {
    column(shown.heads[i], i, false);
  }
  std::string legend;
  for (const auto& week : shown.weeks) {
    text += '\n';
    for (std::size_t i = 0; i < 7; ++i) {
      const MonthDay& cell = week[i];
      column(cell.numeral, i, terminal && cell.day == today);
      if (cell.fixed != FixedDay::kNone) {
        legend += legend.empty() ? "" : ", ";
        legend += cell.fixed == FixedDay::kKalends ? "Kalendae "
                  : cell.fixed == FixedDay::kNones ? "Nonae "
                                                   : "Idus ";
        legend += cell.numeral;
      }
    }
  }
  if (lowercase) {
    LowerCase(legend.data(), legend.size());
  }
  while (text.back() == ' ') {  // after the last day of the month
    text.pop_back();
  }
  return text + '\n' + legend + '\n' + (shown.feriae.empty() ? "" : shown.feriae + '\n');
}

}  // namespace clep::print
