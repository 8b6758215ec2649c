#include "trace/trace_text.h"

#include <string>

namespace clep {

namespace {

void AppendOneLine(std::string& line, std::string_view text) {
  for (const char c : text) {
    if (c != '\r' && c != '\n') {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == '.')) {
    line.pop_back();
  }
}

}  // namespace

std::string TraceLine(std::string_view stamp, std::string_view what, std::string_view reason,
                      unsigned long error) {
  std::string line(stamp);
  line += ' ';
  AppendOneLine(line, what);
  if (error != 0) {
    line += ": ";
    AppendOneLine(line, reason);
    line.append(" (error ").append(std::to_string(error)) += ')';
  }
  return line + "\r\n";
}

std::string_view NewestLines(std::string_view log, std::size_t most) {
  if (log.size() <= most) {
    return log;
  }
  const std::size_t from = log.find('\n', log.size() - most - 1);
  return from == std::string_view::npos ? std::string_view() : log.substr(from + 1);
}

}  // namespace clep
