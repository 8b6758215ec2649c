// The settings file, as text in and settings out, and what one write leaves
// in it. Built natively over the POSIX file and by both Windows builds over the
// program's profile (Windows' own reader) under Wine: where they disagree on
// a read, the POSIX file is wrong; a write changes its own line and no byte
// of any other, as Windows' own writer on Windows does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "settings/clock_settings.h"
#ifdef _WIN32
#include "windows/win32_profile.h"
using FileProfile = clep::win::Win32Profile;
#else
#include "posix/ini_file.h"
using FileProfile = clep::IniFile;
#endif

namespace clep {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // One folder a test (ctest runs them side by side), named outside 1252.
    dir_ = fs::absolute(fs::u8path("settings-\xD0\x96\xE3\x82\xBD-") +=
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  fs::path Path(const std::string& name) const { return dir_ / name; }
  fs::path Put(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  static std::string Get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path dir_;
};

// The keys whose values differ from the defaults, as "Key=value ".
std::string Changed(const ClockSettings& settings) {
  std::string changed;
  for (int i = 0; i < kKeyCount; ++i) {
    const Key key = static_cast<Key>(i);
    if (ValueText(settings, key) != ValueText(ClockSettings{}, key)) {
      changed += std::string(KeyName(key)) + "=" + ValueText(settings, key) + " ";
    }
  }
  return changed;
}

TEST_F(SettingsFile, TextIn_SettingsOut) {
  using namespace std::string_literals;
  const std::string longName(300, 'x');
  const std::string rows[][2] = {
      {"", ""},  // no file
      {"[Configuration]\r\nDisplaySeconds=0\r\n", "DisplaySeconds=0 "},
      {"[Configuration]\r\nDisplaySeconds=\r\nFontSize=\r\n", ""},  // empty: the defaults
      // A switch is on only for exactly 1.
      {"[Configuration]\r\nDisplaySeconds=yes\r\nLowercase=true\r\nBorders=-1\r\nToolTip=1\r\n",
       "DisplaySeconds=0 Borders=0 "},
      {"\xEF\xBB\xBF[configuration]\nLOWERCASE=1\nromanyear=1", "Lowercase=1 RomanYear=1 "},
      {"[ Configuration ]\r\n  Lowercase  =  1  \r\n  FontSize=  12  \r\n",
       "Lowercase=1 FontSize=12 "},
      {"[Configuration]\r\nFontName=\"DejaVu Sans\"\r\nFontSize='12'\r\nZeroAsDash=\"1'\r\n",
       "FontName=DejaVu Sans FontSize=12 "},
      // The first key and the first section of a name win.
      {"[Configuration]\r\nLowercase=1\r\nlowercase=0\r\n[Configuration]\r\nRomanYear=1\r\n",
       "Lowercase=1 "},
      {"Lowercase=1\r\n[Other]\r\nRomanYear=1\r\n[Configuration]\r\n; Borders=0\r\nToolTip\r\n",
       ""},
      {"[Configuration]\r\nFontName=a=b\r\nLowercase=1 ; note\r\n", "FontName=a=b "},
      // A NUL ends its line.
      {"[Configuration]\r\nFontSize\t\0=2\r\nLowercase=1\0x\r\n"s, "Lowercase=1 "},
      {"[Configuration]\r\nColourText=255\r\nColourBack=-2147483633\r\nFontSize=-4\r\n",
       "ColourText=255 ColourBack=-2147483633 FontSize=-4 "},
      {"[Configuration]\r\nColourText=2147483648\r\nColourBack=0x10\r\nFontSize=10.5\r\n", ""},
      // Degrees: a point and at most three digits before it, within the globe.
      {"[Configuration]\r\nLatitude=-41.90\r\nLongitude=179.1234567\r\nRomanHours=1\r\n",
       "RomanHours=1 Latitude=-41.9 Longitude=179.123456 "},
      {"[Configuration]\r\nLatitude=90.5\r\nLongitude=12,5\r\n", ""},
      {"[Configuration]\r\nLatitude=+1\r\nLongitude=1.\r\n", ""},
      {"[Configuration]\r\nFontName=" + longName + "\r\n",
       "FontName=" + longName.substr(0, 254) + " "},
  };
  for (const auto& [text, changed] : rows) {
    const fs::path path = text.empty() ? Path("none.ini") : Put("in.ini", text);
    EXPECT_EQ(Changed(LoadSettings(FileProfile(path.c_str(), "Configuration"))), changed) << text;
  }
}

// Each key alone, at other than its default, changes that key and no other.
TEST_F(SettingsFile, EachKeyAloneChangesItselfOnly) {
  for (int i = 0; i < kKeyCount; ++i) {
    const std::string line = std::string(KeyName(static_cast<Key>(i))) + "=" +
                             (ValueText(ClockSettings{}, static_cast<Key>(i)) == "1" ? "0" : "1");
    const fs::path path = Put("one.ini", "[Configuration]\r\n" + line + "\r\n");
    EXPECT_EQ(Changed(LoadSettings(FileProfile(path.c_str(), "Configuration"))), line + " ");
  }
}

TEST_F(SettingsFile, WhatOneWriteLeaves) {
  using namespace std::string_literals;
  auto utf16 = [](std::u16string_view text) {  // as Notepad saves "Unicode"
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
      bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    }
    return bytes;
  };
  // What is written, the file before (empty: none), the key, its value (none removes it), the file
  // after.
  const std::tuple<const char*, std::string, const char*, const char*, std::string> rows[] = {
      {"a new file", "", "Lowercase", "1", "[Configuration]\r\nLowercase=1\r\n"},
      {"a new key after its section's last line", "[Configuration]\nBorders=0\n\n[Other]\nX=1\n",
       "FontName", "DejaVu Sans",
       "[Configuration]\nBorders=0\nFontName=DejaVu Sans\n\n[Other]\nX=1\n"},
      {"a key replaced in its place, as spelt",
       "[Configuration]\n  colourtext = 0 \n; note\nBorders=1\n", "ColourText", "-2147483633",
       "[Configuration]\ncolourtext=-2147483633\n; note\nBorders=1\n"},
      {"a hand-formatted file keeps every other byte",
       "; my settings\n\n[Configuration]\n  DisplaySeconds = 1\n\tFontName = DejaVu Sans\n"
       "; a = comment\nLowercase=0\n\n[Mine]\nx = 1\n",
       "Lowercase", "1",
       "; my settings\n\n[Configuration]\n  DisplaySeconds = 1\n\tFontName = DejaVu Sans\n"
       "; a = comment\nLowercase=1\n\n[Mine]\nx = 1\n"},
      {"CR line ends, a NUL's bytes, no last line end", "[Configuration]\rFontSize=2\0 x\rX=1"s,
       "Lowercase", "1", "[Configuration]\rFontSize=2\0 x\rX=1\rLowercase=1"s},
      {"a new section at the end", "[Other]\r\nX=1\r\n", "FontSize", "10",
       "[Other]\r\nX=1\r\n[Configuration]\r\nFontSize=10\r\n"},
      {"a UTF-16 file kept UTF-16, each character of it",
       utf16(u"[Configuration]\r\n; \u0416 = \uFF01\U0001F600\r\nBorders = 0\r\n"), "Borders", "1",
       utf16(u"[Configuration]\r\n; \u0416 = \uFF01\U0001F600\r\nBorders=1\r\n")},
      {"an unchanged value leaves the file alone", "[Configuration]\n\nBorders=1\n", "Borders", "1",
       "[Configuration]\n\nBorders=1\n"},
      {"a key removed, every line of it", "[Configuration]\nColourText=1\n\nX=2\ncolourtext=3",
       "ColourText", nullptr, "[Configuration]\n\nX=2"},
      {"no key to remove leaves the file alone", "[Other]\nColourText=1\n", "ColourText", nullptr,
       "[Other]\nColourText=1\n"},
  };
  for (const auto& [name, before, key, text, after] : rows) {
    const fs::path path = before.empty() ? Path("new.ini") : Put("out.ini", before);
    FileProfile profile(path.c_str(), "Configuration");
    const auto value = text ? std::optional<std::string>(text) : std::nullopt;
    EXPECT_TRUE(profile.Write(key, value)) << name;
    EXPECT_EQ(Get(path), after) << name;
    EXPECT_EQ(profile.Read(key), value) << name;
    fs::remove(path);
  }
}

TEST_F(SettingsFile, AFailedWriteIsReported) {
  using namespace std::string_literals;
  FileProfile profile(Path("no-such-folder/x.ini").c_str(), "Configuration");
  EXPECT_FALSE(profile.Write("Lowercase", "1"));
  EXPECT_FALSE(fs::exists(Path("no-such-folder")));
  // UTF-16 with a byte over: no write keeps that byte where it was.
  const std::string oddBytes = "\xFF\xFE[\0C\0]\0\r"s;
  const fs::path odd = Put("odd.ini", oddBytes);
  EXPECT_FALSE(FileProfile(odd.c_str(), "Configuration").Write("Lowercase", "1"));
  EXPECT_EQ(Get(odd), oddBytes);
}

// A file that needs one more page than the disk has left: the old bytes stay.
TEST_F(SettingsFile, AFullDiskKeepsTheOldFile) {
  const char* disk = std::getenv("CLEP_FULL_DISK");  // a tmpfs of its own: full_disk.sh
  if (disk == nullptr) {
    GTEST_SKIP() << "settings_table_full_disk runs it on a full disk";
  }
  const fs::path path = fs::path(disk) / "Clepsydrium.ini";
  const std::string before =
      "[Configuration]\r\nFontSize=12\r\n;" + std::string(16300, 'x') + "\r\n";
  std::ofstream(path, std::ios::binary) << before;
  for (std::ofstream filler(fs::path(disk) / "filler"); filler.write(before.data(), 512).flush();) {
  }
  FileProfile profile(path.c_str(), "Configuration");
  EXPECT_FALSE(profile.Write("FontName", "DejaVu Sans"));
  EXPECT_EQ(Get(path), before);
}

}  // namespace
}  // namespace clep
