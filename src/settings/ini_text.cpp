#include "settings/ini_text.h"

#include <algorithm>
#include <vector>

namespace clep {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The profile reader's buffer holds 255 characters with the closing NUL.
constexpr std::size_t kLongestValue = 254;

struct Entry {
  std::string name;
  std::optional<std::string> value;  // none for a line without '='
};

struct Section {
  std::string name;  // empty for the lines before the first header
  std::vector<Entry> entries;
};

struct Document {
  bool byteOrderMark = false;
  std::vector<Section> sections;
};

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

Document Parse(std::string_view text) {
  Document document;
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    document.byteOrderMark = true;
    text.remove_prefix(kByteOrderMark.size());
  }
  document.sections.emplace_back();
  while (!text.empty()) {
    const std::size_t stop = std::min(text.find_first_of("\r\n"), text.size());
    // A NUL ends the line's text, as in Windows' reader.
    const std::string_view whole = text.substr(0, stop);
    const std::string_view line = Trim(whole.substr(0, whole.find('\0')));
    text.remove_prefix(std::min(text.find_first_not_of("\r\n", stop), text.size()));
    if (line.empty()) {
      continue;
    }
    const std::size_t close = line.rfind(']');
    if (line.front() == '[' && close != std::string_view::npos) {
      document.sections.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    Entry entry{std::string(Trim(line.substr(0, equals))), std::nullopt};
    if (equals != std::string_view::npos) {
      entry.value = std::string(Trim(line.substr(equals + 1)));
    }
    document.sections.back().entries.push_back(std::move(entry));
  }
  return document;
}

// Parse(Serialize(document)) reads as the document did.
std::string Serialize(const Document& document) {
  std::string out;
  for (const Section& section : document.sections) {
    if (&section != &document.sections.front()) {  // "[]" is a header too
      out += '[' + section.name + "]\r\n";
    }
    for (const Entry& entry : section.entries) {
      out += entry.name;
      if (entry.value) {
        out += '=' + *entry.value;
      }
      out += "\r\n";
    }
  }
  if (document.byteOrderMark) {
    out.insert(0, kByteOrderMark);
  } else if (out.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    out.insert(0, "\r\n");  // a first line that only looks like one must not lose it
  }
  return out;
}

// Only the first section of a name counts.
Section* FindSection(Document& document, std::string_view name) {
  for (Section& section : document.sections) {
    if (SameName(section.name, name)) {
      return &section;
    }
  }
  return nullptr;
}

Entry* FindEntry(Section& section, std::string_view name) {
  for (Entry& entry : section.entries) {
    if (SameName(entry.name, name)) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> IniValue(std::string_view text, std::string_view sectionName,
                                    std::string_view key) {
  Document document = Parse(text);
  Section* section = FindSection(document, Trim(sectionName));
  Entry* entry = section != nullptr ? FindEntry(*section, Trim(key)) : nullptr;
  if (entry == nullptr || !entry->value) {
    return std::nullopt;
  }
  std::string_view value = *entry->value;
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

std::optional<std::string> IniWithValue(std::string_view text, std::string_view sectionName,
                                        std::string_view key,
                                        std::optional<std::string_view> value) {
  Document document = Parse(text);
  Section* section = FindSection(document, Trim(sectionName));
  if (!value) {
    // Every line of the name goes, so that no later one is read in its place.
    if (section == nullptr || FindEntry(*section, Trim(key)) == nullptr) {
      return std::nullopt;
    }
    std::vector<Entry> kept;
    for (Entry& entry : section->entries) {
      if (!SameName(entry.name, Trim(key))) {
        kept.push_back(std::move(entry));
      }
    }
    section->entries = std::move(kept);
    return Serialize(document);
  }
  if (section == nullptr) {
    document.sections.push_back({std::string(Trim(sectionName)), {}});
    section = &document.sections.back();
  }
  Entry* entry = FindEntry(*section, Trim(key));
  // Leading blanks go, as in Windows' writer; trailing ones go when read.
  std::string_view shown = *value;
  while (!shown.empty() && IsBlank(shown.front())) {
    shown.remove_prefix(1);
  }
  const std::string newValue(shown.substr(0, shown.find('\0')));
  if (entry != nullptr && entry->value == newValue) {
    return std::nullopt;  // as Windows, the file is left untouched
  }
  if (entry == nullptr) {
    section->entries.push_back({std::string(Trim(key)), std::nullopt});
    entry = &section->entries.back();
  }
  entry->value = newValue;
  return Serialize(document);
}

}  // namespace clep
