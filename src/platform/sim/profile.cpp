// The INI store of the simulated desktop: a model of Windows' private-profile functions as
// Wine 8 implements them, checked against Wine by the contract tests. Every call reads the
// whole file; a write rebuilds it from what was read, as Wine does, so blank lines go, blanks
// around names and values go, and line ends become CRLF. The ANSI code page is Windows-1252.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/profile.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

using Text = std::u16string;
using TextView = std::u16string_view;

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

struct Entry {
  Text name;
  std::optional<Text> value;  // none for a line without '='
};

struct Section {
  Text name;  // empty for the lines before the first header
  std::vector<Entry> entries;
};

struct Profile {
  Encoding encoding = Encoding::kAnsi;
  std::vector<Section> sections;
};

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; its five unassigned bytes keep their own code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromAnsi(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t{byte};
}

Text FromAnsi(const char* text) {
  Text out;
  for (; *text != '\0'; ++text) {
    out += FromAnsi(static_cast<unsigned char>(*text));
  }
  return out;
}

// No best-fit mapping: anything outside the code page becomes '?'.
char ToAnsi(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    return static_cast<char>(unit);
  }
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == unit) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

void AppendCodePoint(Text& out, char32_t point) {
  if (point > 0xFFFF) {
    point -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (point >> 10));
    out += static_cast<char16_t>(0xDC00 | (point & 0x3FF));
  } else {
    out += static_cast<char16_t>(point);
  }
}

// Decodes UTF-8 the way Windows' converter does: each malformed sequence becomes one U+FFFD
// (a surrogate's first two bytes count as one), and a sequence cut short by the end of the
// data swallows what is left.
void AppendUtf8(Text& out, const unsigned char* p, const unsigned char* end) {
  while (p < end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) {
      out += lead;
      continue;
    }
    const int trail = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (trail > 0 && end - p < trail) {
      out += kReplacement;
      return;
    }
    char32_t point = lead & (0x3Fu >> trail);
    bool valid = trail > 0;
    for (int left = trail; valid && left > 0; --left) {
      const unsigned char next = *p;
      valid = (next & 0xC0) == 0x80;
      if (!valid) {
        break;
      }
      point = (point << 6) | (next & 0x3Fu);
      if (left == 2 && point >= (0x110000 >> 6)) {
        valid = false;
        break;
      }
      ++p;
      if ((left == 3 && point < 0x10) || (left == 1 && point < 0x80)) {
        valid = false;
      } else if (left == 2 &&
                 (point < 0x20 || (point >= (0xD800 >> 6) && point <= (0xDFFF >> 6)))) {
        valid = false;
      }
    }
    if (valid) {
      AppendCodePoint(out, point);
    } else {
      out += kReplacement;
    }
  }
}

void AppendUtf8Bytes(std::string& out, const Text& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t point = text[i];
    if (point >= 0xD800 && point <= 0xDFFF) {
      const bool paired =
          point < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      point = paired ? 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00u) : kReplacement;
    }
    if (point < 0x80) {
      out += static_cast<char>(point);
    } else if (point < 0x800) {
      out += static_cast<char>(0xC0 | (point >> 6));
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      out += static_cast<char>(0xE0 | (point >> 12));
      out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (point >> 18));
      out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
}

// The encoding is told by a byte-order mark; without one the file is ANSI.
Text Decode(const std::string& bytes, Encoding& encoding) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  Text text;
  if (bytes.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    encoding = Encoding::kUtf8;
    AppendUtf8(text, p + 3, end);
  } else if (bytes.size() >= 2 &&
             ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    encoding = p[0] == 0xFF ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    for (p += 2; p < end; p += 2) {
      // An odd last byte is read as a unit of its own.
      const unsigned first = p[0];
      const unsigned second = p + 1 < end ? p[1] : 0;
      const bool little = encoding == Encoding::kUtf16Le || p + 1 == end;
      text += static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
    }
  } else {
    encoding = Encoding::kAnsi;
    for (; p < end; ++p) {
      text += FromAnsi(*p);
    }
  }
  return text;
}

std::string Encode(const Text& text, Encoding encoding) {
  std::string out;
  switch (encoding) {
    case Encoding::kAnsi:
      for (char16_t unit : text) {
        out += ToAnsi(unit);
      }
      break;
    case Encoding::kUtf8:
      out = "\xEF\xBB\xBF";
      AppendUtf8Bytes(out, text);
      break;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      const bool little = encoding == Encoding::kUtf16Le;
      out = little ? "\xFF\xFE" : "\xFE\xFF";
      for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += little ? low : high;
        out += little ? high : low;
      }
      break;
    }
  }
  return out;
}

bool IsBlank(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

TextView TrimLeft(TextView s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  return s;
}

TextView TrimRight(TextView s) {
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

TextView Trim(TextView s) {
  return TrimRight(TrimLeft(s));
}

// Names and values end at a NUL, as C strings do.
Text CutAtNul(TextView s) {
  return Text(s.substr(0, s.find(u'\0')));
}

bool SameName(TextView a, TextView b) {
  if (a.size() != b.size()) {
    return false;
  }
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) {
      return false;
    }
  }
  return true;
}

Profile Parse(const std::string& bytes) {
  Profile profile;
  const Text text = Decode(bytes, profile.encoding);
  profile.sections.emplace_back();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t stop = text.find_first_of(u"\r\n", pos);
    if (stop == Text::npos) {
      stop = text.size();
    }
    const TextView line = Trim(TextView(text).substr(pos, stop - pos));
    pos = std::min(text.find_first_not_of(u"\r\n", stop), text.size());
    if (line.empty()) {
      continue;
    }
    if (line.front() == u'[') {
      const std::size_t close = line.rfind(u']');
      if (close != TextView::npos) {
        profile.sections.push_back(Section{CutAtNul(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    std::vector<Entry>& entries = profile.sections.back().entries;
    const std::size_t equals = line.find(u'=');
    const TextView name = equals == TextView::npos ? line : TrimRight(line.substr(0, equals));
    // A nameless line right after another nameless line is dropped, as Windows does.
    if (name.empty() && !entries.empty() && entries.back().name.empty()) {
      continue;
    }
    Entry entry{CutAtNul(name), std::nullopt};
    if (equals != TextView::npos) {
      entry.value = CutAtNul(TrimLeft(line.substr(equals + 1)));
    }
    entries.push_back(std::move(entry));
  }
  return profile;
}

Text Serialize(const Profile& profile) {
  Text out;
  for (const Section& section : profile.sections) {
    if (!section.name.empty()) {
      out += u'[' + section.name + u"]\r\n";
    }
    for (const Entry& entry : section.entries) {
      out += entry.name;
      if (entry.value) {
        out += u'=' + *entry.value;
      }
      out += u"\r\n";
    }
  }
  return out;
}

// Only the first section of a name is searched. A key that is created gets the name as
// given, less leading blanks.
Entry* Find(Profile& profile, const Text& sectionName, const Text& keyName, bool create) {
  const TextView section = Trim(sectionName);
  const TextView key = Trim(keyName);
  for (Section& candidate : profile.sections) {
    if (!SameName(candidate.name, section)) {
      continue;
    }
    for (Entry& entry : candidate.entries) {
      if (SameName(entry.name, key)) {
        return &entry;
      }
    }
    if (!create) {
      return nullptr;
    }
    candidate.entries.push_back(Entry{Text(TrimLeft(keyName)), std::nullopt});
    return &candidate.entries.back();
  }
  if (!create) {
    return nullptr;
  }
  profile.sections.push_back(Section{Text(TrimLeft(sectionName)), {}});
  profile.sections.back().entries.push_back(Entry{Text(TrimLeft(keyName)), std::nullopt});
  return &profile.sections.back().entries.back();
}

// Copies at most size - 1 units; a value quoted at both ends loses its quotes, but only the
// opening one when the copy cuts the closing one off.
Text CopyEntry(TextView value, std::size_t size) {
  const bool quoted = value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') &&
                      value.back() == value.front();
  if (quoted) {
    value.remove_prefix(1);
  }
  Text out(value.substr(0, size - 1));
  if (quoted && size >= value.size() && !out.empty()) {
    out.pop_back();
  }
  return out;
}

enum class FileState { kMissing, kRead, kUnreadable };

// The program joins Windows paths with backslashes; here they name folders.
std::string HostPath(const char* path) {
  std::string host(path);
  std::replace(host.begin(), host.end(), '\\', '/');
  return host;
}

FileState ReadWhole(const std::string& path, std::string& bytes) {
  std::error_code error;
  const fs::file_type type = fs::status(path, error).type();
  if (type == fs::file_type::not_found) {
    return FileState::kMissing;
  }
  if (type == fs::file_type::directory) {
    return FileState::kUnreadable;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return FileState::kUnreadable;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? FileState::kUnreadable : FileState::kRead;
}

// Writes a temporary file beside the target and renames it over the target, so a failed
// write leaves the old file whole.
bool SaveWhole(const std::string& path, const std::string& bytes) {
  std::error_code error;
  const bool exists = fs::exists(path, error);
  if (exists && !std::ofstream(path, std::ios::binary | std::ios::app)) {
    return false;  // a read-only file stays as it is, as on Windows
  }
  const std::string temp = path + ".clep-tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out && exists) {
    fs::permissions(temp, fs::status(path, error).permissions(), error);
  }
  if (!out || (fs::rename(temp, path, error), error)) {
    fs::remove(temp, error);
    return false;
  }
  return true;
}

}  // namespace

std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size, const char* path) {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  Text fallback = defaultValue != nullptr ? FromAnsi(defaultValue) : Text();
  // Trailing spaces of the default go, but never its first character.
  while (fallback.size() > 1 && fallback.back() == u' ') {
    fallback.pop_back();
  }
  TextView source = fallback;
  Profile profile;
  std::string bytes;
  if (section != nullptr && key != nullptr && path != nullptr &&
      ReadWhole(HostPath(path), bytes) == FileState::kRead) {
    profile = Parse(bytes);
    const Entry* entry = Find(profile, FromAnsi(section), FromAnsi(key), false);
    if (entry != nullptr && entry->value) {
      source = *entry->value;
    }
  }
  const Text copied = CopyEntry(source, size);
  for (std::size_t i = 0; i < copied.size(); ++i) {
    buffer[i] = ToAnsi(copied[i]);
  }
  buffer[copied.size()] = '\0';
  return copied.size();
}

bool ProfileWrite(const char* section, const char* key, const char* value, const char* path) {
  if (section == nullptr || key == nullptr || value == nullptr || path == nullptr) {
    return false;
  }
  const std::string hostPath = HostPath(path);
  std::string bytes;
  if (ReadWhole(hostPath, bytes) == FileState::kUnreadable) {
    return false;
  }
  Profile profile = Parse(bytes);
  Entry* entry = Find(profile, FromAnsi(section), FromAnsi(key), true);
  const Text text(TrimLeft(FromAnsi(value)));
  if (entry->value == text) {
    return true;  // unchanged: the file is not touched
  }
  entry->value = text;
  return SaveWhole(hostPath, Encode(Serialize(profile), profile.encoding));
}

}  // namespace platform
