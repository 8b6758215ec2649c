#include "startup/run_value.h"

#include <vector>

namespace clep {

namespace {

bool Blank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// Windows compares file names by upper-casing each UTF-16 unit; these are
// the ranges of its table a folder name is likely to use.
wchar_t Upper(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
      (c >= 0xFF41 && c <= 0xFF5A)) {
    return static_cast<wchar_t>(c - 0x20);
  }
  if (c >= 0x450 && c <= 0x45F) {
    return static_cast<wchar_t>(c - 0x50);
  }
  if (c == 0x3C2) {
    return 0x3A3;  // final sigma
  }
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
    return static_cast<wchar_t>(c & ~1);  // Latin Extended-A: upper even, lower odd
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
    return static_cast<wchar_t>(c - ((c & 1) == 0 ? 1 : 0));  // here upper odd
  }
  return c;
}

// The path as Windows resolves it, upper-cased: the root ("C:" or
// "\\server\share") and then each name, every one after a "\". Not
// std::wstring, whose ready-made members would add 28 KB to the exe.
std::vector<wchar_t> Normal(std::wstring_view path) {
  std::vector<wchar_t> text(path.begin(), path.end());
  for (wchar_t& c : text) {
    c = c == L'/' ? L'\\' : Upper(c);
  }
  std::wstring_view rest(text.data(), text.size());
  std::vector<wchar_t> root;
  std::vector<std::wstring_view> names;
  std::size_t fixed = 0;  // a share's two names, which ".." does not leave
  bool share = rest.substr(0, 8) == L"\\\\?\\UNC\\";  // "\\?\UNC\server" is "\\server"
  if (share) {
    rest.remove_prefix(8);
  } else if (rest.substr(0, 4) == L"\\\\?\\" || rest.substr(0, 4) == L"\\\\.\\") {
    rest.remove_prefix(4);
  } else if (rest.substr(0, 2) == L"\\\\") {
    rest.remove_prefix(2);
    share = true;
  }
  if (share) {
    root.push_back(L'\\');
    fixed = 2;
  } else if (rest.size() >= 2 && rest[1] == L':') {
    root.assign(rest.begin(), rest.begin() + 2);
    rest.remove_prefix(2);
  }
  while (!rest.empty()) {
    const std::size_t end = rest.find(L'\\');
    const std::wstring_view name = rest.substr(0, end);
    rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
    if (name == L"..") {
      if (names.size() > fixed) {
        names.pop_back();
      }
    } else if (!name.empty() && name != L".") {
      names.push_back(name);
    }
  }
  if (!names.empty()) {
    std::wstring_view& last = names.back();
    while (!last.empty() && (last.back() == L'.' || last.back() == L' ')) {
      last.remove_suffix(1);
    }
  }
  for (const std::wstring_view name : names) {
    root.push_back(L'\\');
    root.insert(root.end(), name.begin(), name.end());
  }
  return root;
}

}  // namespace

std::wstring_view RunValuePath(std::wstring_view value) {
  while (!value.empty() && Blank(value.front())) {
    value.remove_prefix(1);
  }
  if (!value.empty() && value.front() == L'"') {
    value.remove_prefix(1);
    return value.substr(0, value.find(L'"'));
  }
  for (std::size_t at = 0; at + 4 <= value.size(); ++at) {
    const std::wstring_view word = value.substr(at, 4);
    if (word[0] == L'.' && Upper(word[1]) == L'E' && Upper(word[2]) == L'X' &&
        Upper(word[3]) == L'E' && (at + 4 == value.size() || Blank(value[at + 4]))) {
      return value.substr(0, at + 4);
    }
  }
  while (!value.empty() && Blank(value.back())) {
    value.remove_suffix(1);
  }
  return value;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
  return !a.empty() && !b.empty() && Normal(a) == Normal(b);
}

bool SwitchedOff(const unsigned char* entry, std::size_t size) {
  return size > 0 && (entry[0] & 1) != 0;
}

}  // namespace clep
