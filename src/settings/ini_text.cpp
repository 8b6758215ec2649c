#include "settings/ini_text.h"

#include <algorithm>
#include <vector>

namespace clep {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLittleEndian = "\xFF\xFE";
constexpr std::string_view kBigEndian = "\xFE\xFF";
// The profile reader's buffer holds 255 characters with the closing NUL.
constexpr std::size_t kLongestValue = 254;

bool IsBlank(char c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

// UTF-16 and UTF-8 both ways, so that the way back gives every code unit the
// file held: a lone surrogate is kept as its own three bytes.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  auto unit = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? first << 8 | second : second << 8 | first;
  };
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned c = static_cast<unsigned>(unit(i));
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned>(unit(i + 2)) - 0xDC00);
      i += 2;
    }
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if (c < 0x800) {
      text += static_cast<char>(0xC0 | c >> 6);
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      text += static_cast<char>(0xE0 | c >> 12);
      text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | c >> 18);
      text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

std::string ToUtf16(std::string_view text, bool bigEndian) {
  std::string bytes;
  auto put = [&](unsigned unit) {
    bytes += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
    bytes += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    unsigned c = length == 1 ? lead : lead & (0x7F >> length);
    bool whole = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4 && i + length <= text.size());
    for (std::size_t k = 1; whole && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      whole = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    // Nothing longer than it need be, and nothing past the last character.
    whole = whole && c >= (length == 3 ? 0x800U : length == 4 ? 0x10000U : 0U) && c < 0x110000;
    if (!whole) {
      put(0xFFFD);  // the value's bytes were not UTF-8
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
    i += length;
  }
  return bytes;
}

// A line and its own line end, as views into the text.
struct Line {
  std::string_view text;
  std::string_view end;  // "\r\n", "\r", "\n", or empty at the end of the text
};

std::vector<Line> Lines(std::string_view text) {
  std::vector<Line> lines;
  while (!text.empty()) {
    const std::size_t stop = std::min(text.find_first_of("\r\n"), text.size());
    const std::size_t end = text.compare(stop, 2, "\r\n") == 0 ? 2 : stop < text.size() ? 1 : 0;
    lines.push_back({text.substr(0, stop), text.substr(stop, end)});
    text.remove_prefix(stop + end);
  }
  return lines;
}

// What the reader sees of a line: a NUL ends it, blanks around it go.
std::string_view Seen(const Line& line) {
  return Trim(line.text.substr(0, line.text.find('\0')));
}

bool IsHeader(std::string_view seen) {
  return !seen.empty() && seen.front() == '[' && seen.rfind(']') != std::string_view::npos;
}

std::string_view EntryName(std::string_view seen) {
  return Trim(seen.substr(0, seen.find('=')));
}

// The lines of the first section of the name, after its header; that of the
// lines before the first header is "".
struct Section {
  bool found;
  std::size_t begin;
  std::size_t end;
};

Section FindSection(const std::vector<Line>& lines, std::string_view name) {
  Section section{name.empty(), 0, lines.size()};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view seen = Seen(lines[i]);
    if (!IsHeader(seen)) {
      continue;
    }
    if (section.found) {
      section.end = i;
      break;
    }
    if (SameName(Trim(seen.substr(1, seen.rfind(']') - 1)), name)) {
      section = {true, i + 1, lines.size()};
    }
  }
  return section;
}

// The lines of the section that hold the key, first first.
std::vector<std::size_t> FindEntries(const std::vector<Line>& lines, const Section& section,
                                     std::string_view key) {
  std::vector<std::size_t> found;
  for (std::size_t i = section.begin; section.found && i < section.end; ++i) {
    const std::string_view seen = Seen(lines[i]);
    if (!seen.empty() && SameName(EntryName(seen), key)) {
      found.push_back(i);
    }
  }
  return found;
}

std::size_t Offset(std::string_view text, std::string_view part) {
  return static_cast<std::size_t>(part.data() - text.data());
}

std::string Removed(const std::vector<Line>& lines, const std::vector<std::size_t>& gone) {
  std::string out;
  std::size_t next = 0;
  std::string_view lastEnd;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (next < gone.size() && gone[next] == i) {
      ++next;
      // The last line had no line end: nor has the line now last.
      if (lines[i].end.empty()) {
        out.resize(out.size() - lastEnd.size());
      }
      continue;
    }
    out.append(lines[i].text).append(lines[i].end);
    lastEnd = lines[i].end;
  }
  return out;
}

// The edit of text a byte a character; the file's mark is not in it.
std::optional<std::string> Edited(std::string_view text, std::string_view sectionName,
                                  std::string_view key, std::optional<std::string_view> value) {
  const std::vector<Line> lines = Lines(text);
  const Section section = FindSection(lines, sectionName);
  const std::vector<std::size_t> entries = FindEntries(lines, section, key);
  if (!value) {
    // Every line of the name goes, so that no later one is read in its place.
    return entries.empty() ? std::nullopt : std::optional<std::string>(Removed(lines, entries));
  }
  // Leading blanks go, as in Windows' writer; trailing ones go when read.
  std::string_view shown = *value;
  while (!shown.empty() && IsBlank(shown.front())) {
    shown.remove_prefix(1);
  }
  shown = shown.substr(0, shown.find('\0'));
  std::string out(text);
  if (!entries.empty()) {
    const Line& line = lines[entries.front()];
    const std::string_view seen = Seen(line);
    const std::size_t equals = seen.find('=');
    if (equals != std::string_view::npos && Trim(seen.substr(equals + 1)) == shown) {
      return std::nullopt;  // as Windows, the file is left untouched
    }
    return out.replace(Offset(text, line.text), line.text.size(),
                       std::string(EntryName(seen)) + '=' + std::string(shown));
  }
  std::string_view lineEnd = "\r\n";
  for (const Line& line : lines) {
    if (!line.end.empty()) {
      lineEnd = line.end;
      break;
    }
  }
  std::string added = std::string(key) + '=' + std::string(shown);
  if (!section.found) {
    added = '[' + std::string(sectionName) + ']' + std::string(lineEnd) + added;
    const bool ended = text.empty() || text.back() == '\r' || text.back() == '\n';
    return ended ? out + added + std::string(lineEnd) : out + std::string(lineEnd) + added;
  }
  // After the section's last line that is not blank, else after its header.
  std::size_t after = section.begin;
  for (std::size_t i = section.begin; i < section.end; ++i) {
    after = Seen(lines[i]).empty() ? after : i + 1;
  }
  if (after == 0) {  // no header and no line before it
    return added + std::string(lineEnd) + out;
  }
  const Line& anchor = lines[after - 1];
  return out.insert(Offset(text, anchor.text) + anchor.text.size(), std::string(lineEnd) + added);
}

}  // namespace

IniEncoding EncodingOf(std::string_view file) {
  if (file.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    return IniEncoding::kUtf8;
  }
  if (file.substr(0, 2) != kLittleEndian && file.substr(0, 2) != kBigEndian) {
    return IniEncoding::kBytes;
  }
  return file.size() % 2 == 0 ? IniEncoding::kUtf16 : IniEncoding::kUnwritable;
}

std::optional<std::string> IniValue(std::string_view file, std::string_view sectionName,
                                    std::string_view key) {
  std::string decoded;
  const IniEncoding encoding = EncodingOf(file);
  if (encoding == IniEncoding::kUtf16 || encoding == IniEncoding::kUnwritable) {
    decoded = FromUtf16(file.substr(2), file.substr(0, 2) == kBigEndian);
    file = decoded;
  } else if (encoding == IniEncoding::kUtf8) {
    file.remove_prefix(kByteOrderMark.size());
  }
  const std::vector<Line> lines = Lines(file);
  const std::vector<std::size_t> entries =
      FindEntries(lines, FindSection(lines, Trim(sectionName)), Trim(key));
  const std::string_view seen = entries.empty() ? "" : Seen(lines[entries.front()]);
  const std::size_t equals = seen.find('=');
  if (equals == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view value = Trim(seen.substr(equals + 1));
  // Quotes go when they match; a value too long for the buffer keeps its
  // closing one, as Windows' reader does.
  bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front();
  if (quoted) {
    value.remove_prefix(1);
  }
  std::string shown(value.substr(0, kLongestValue));
  if (quoted && value.size() <= kLongestValue + 1) {
    shown.pop_back();
  }
  if (shown.empty()) {
    return std::nullopt;
  }
  return shown;
}

std::optional<std::string> IniWithValue(std::string_view file, std::string_view section,
                                        std::string_view key,
                                        std::optional<std::string_view> value) {
  switch (EncodingOf(file)) {
    case IniEncoding::kUnwritable:
      return std::nullopt;
    case IniEncoding::kUtf16: {
      const bool bigEndian = file.substr(0, 2) == kBigEndian;
      const std::optional<std::string> text =
          Edited(FromUtf16(file.substr(2), bigEndian), Trim(section), Trim(key), value);
      return text ? std::string(file.substr(0, 2)) + ToUtf16(*text, bigEndian) : text;
    }
    case IniEncoding::kUtf8:
    case IniEncoding::kBytes:
      break;
  }
  const std::size_t mark = EncodingOf(file) == IniEncoding::kUtf8 ? kByteOrderMark.size() : 0;
  const std::optional<std::string> text =
      Edited(file.substr(mark), Trim(section), Trim(key), value);
  return text ? std::string(file.substr(0, mark)) + *text : text;
}

}  // namespace clep
