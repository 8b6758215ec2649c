// Wide text of our own type: std::wstring's members come ready-made from the
// runtime's wstring instantiation, which would add 28 KB to the static exe;
// these are made from the templates, only those used.
#pragma once

#include <string>
#include <string_view>

namespace clep::win {

struct WideTraits : std::char_traits<wchar_t> {};
using WideString = std::basic_string<wchar_t, WideTraits>;
using WideView = std::basic_string_view<wchar_t, WideTraits>;

}  // namespace clep::win
