// The INI store's promises, as Windows' profile functions keep them under Wine.
#include <optional>
#include <string>

#include "platform/profile.h"
#include "temp_files.h"

namespace {

using namespace std::string_literals;
using contract::ReadBytes;
using contract::WriteBytes;

class ProfileTest : public contract::TempDirTest {};

struct ReadCase {
  const char* name;
  std::optional<std::string> file;  // none: no file at all
  const char* section;
  const char* key;
  std::string expected;
  const char* fallback = "def";
  std::size_t size = 255;
};

const std::string kLong(300, 'x');

const ReadCase kReads[] = {
    {"blanks trimmed", "  [ Sec ]  \r\n \t k \t= \x1a v \t\r\n", "Sec", "k", "v"},
    {"blanks in the request trimmed", "[Sec]\r\nk=v\r\n", " Sec ", " k ", "v"},
    {"double quotes stripped", "[Sec]\r\nk= \"x y\" \r\n", "Sec", "k", "x y"},
    {"single quotes stripped", "[Sec]\r\nk='x y'\r\n", "Sec", "k", "x y"},
    {"unmatched quotes kept", "[Sec]\r\nk=\"x y'\r\n", "Sec", "k", "\"x y'"},
    {"lone quote kept", "[Sec]\r\nk=\"\r\n", "Sec", "k", "\""},
    {"empty quotes", "[Sec]\r\nk=\"\"\r\n", "Sec", "k", ""},
    {"names ignore case", "[sEC]\r\nKEY=v\r\n", "Sec", "key", "v"},
    {"long value cut", "[Sec]\r\nk=" + kLong + "\r\n", "Sec", "k", kLong.substr(0, 254)},
    {"cut quoted value", "[Sec]\r\nk=\"xxxx\"\r\n", "Sec", "k", "xxx", "", 5},
    {"one-byte buffer", "[Sec]\r\nk=v\r\n", "Sec", "k", "", "", 1},
    {"first duplicate key", "[Sec]\r\nk=1\r\nk=2\r\n", "Sec", "k", "1"},
    {"first duplicate section", "[Sec]\r\nk=1\r\n[SEC]\r\nk=2\r\n", "Sec", "k", "1"},
    {"later duplicate not searched", "[Sec]\r\na=1\r\n[Sec]\r\nk=2\r\n", "Sec", "k", "def"},
    {"LF", "[Sec]\nk=v\n", "Sec", "k", "v"},
    {"no final newline", "[Sec]\r\nk=v", "Sec", "k", "v"},
    {"lone CR", "[Sec]\rj=w\rk=v\r", "Sec", "k", "v"},
    {"UTF-8 BOM", "\xEF\xBB\xBF[Sec]\r\nk=\xC3\xA9\r\n", "Sec", "k", "\xE9"},
    {"malformed UTF-8", "\xEF\xBB\xBF[Sec]\r\nk=a\xFF\xE6\x97z\xED\xA0\x80\r\n", "Sec", "k",
     "a??z??"},
    {"UTF-16", "\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE9\0"s, "S", "k", "\xE9"},
    {"ANSI bytes as they are", "[Sec]\r\nk=\x80\x81\xC3\xA9\r\n", "Sec", "k", "\x80\x81\xC3\xA9"},
    {"line without =", "[Sec]\r\nk\r\n", "Sec", "k", "def"},
    {"comment kept in value", "[Sec]\r\nk=v ; note\r\n", "Sec", "k", "v ; note"},
    {"empty value", "[Sec]\r\nempty=\r\n", "Sec", "empty", ""},
    {"= in value", "[Sec]\r\neq=a=b\r\n", "Sec", "eq", "a=b"},
    {"missing file", std::nullopt, "Sec", "k", "def"},
    {"missing key", "[Sec]\r\nj=v\r\n", "Sec", "k", "def"},
    {"default loses trailing spaces", std::nullopt, "Sec", "k", "d", "d  "},
    {"NUL ends a value", "[Sec]\r\nk=a\0b\r\n"s, "Sec", "k", "a"},
    {"NUL ends a key", "[Sec]\r\n\0\0\r\nk\0x=1\r\n"s, "Sec", "k", "1"},
    {"text after ] ignored", "[Sec] junk\r\nk=v\r\n", "Sec", "k", "v"},
    {"unclosed header is no header", "[Sec]\r\n[Other\r\nk=v\r\n", "Sec", "k", "v"},
    {"last ] closes", "[S]x]\r\nk=v\r\n", "S]x", "k", "v"},
};

TEST_F(ProfileTest, Reads) {
  for (const ReadCase& c : kReads) {
    SCOPED_TRACE(c.name);
    const std::string path = NewPath();
    if (c.file) {
      WriteBytes(path, *c.file);
    }
    std::string buffer(c.size + 1, '#');
    const std::size_t count =
        platform::ProfileRead(c.section, c.key, c.fallback, buffer.data(), c.size, path.c_str());
    EXPECT_EQ(count, c.expected.size());
    EXPECT_EQ(buffer.substr(0, count), c.expected);
    EXPECT_EQ(buffer[count], '\0');
  }
}

struct WriteCase {
  const char* name;
  std::optional<std::string> before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

const WriteCase kWrites[] = {
    {"missing file created", std::nullopt, "Sec", "Key", "Val", "[Sec]\r\nKey=Val\r\n"},
    {"empty file", "", "Sec", "Key", "Val", "[Sec]\r\nKey=Val\r\n"},
    {"new key ends its section", "[Sec]\nA=1\n; c\n\n[Other]\nX=1\n", "sec", "B", "2",
     "[Sec]\r\nA=1\r\n; c\r\nB=2\r\n[Other]\r\nX=1\r\n"},
    {"new section ends the file", "[Sec]\nA=1", "New", "B", "2",
     "[Sec]\r\nA=1\r\n[New]\r\nB=2\r\n"},
    {"replace keeps place and spelling", "[Sec]\r\n  kEy  =  old  \r\nZ=9\r\n", "Sec", "key", "new",
     "[Sec]\r\nkEy=new\r\nZ=9\r\n"},
    {"other lines kept, tidied", "; top\n\n[ Sec ] x\n; c\nA=1\n  o = x  \r\rB=2\n", "Sec", "A",
     "5", "; top\r\n[Sec]\r\n; c\r\nA=5\r\no=x\r\nB=2\r\n"},
    {"first duplicate section", "[Sec]\nA=1\n[Sec]\nA=2\n", "Sec", "A", "3",
     "[Sec]\r\nA=3\r\n[Sec]\r\nA=2\r\n"},
    {"same value leaves the file", "[Sec]\nA = 1\n", "Sec", "A", "1", "[Sec]\nA = 1\n"},
    {"leading blanks of value dropped", "[Sec]\nA=1\n", "Sec", "A", "  v  ", "[Sec]\r\nA=v  \r\n"},
    {"empty value", "[Sec]\nA=1\n", "Sec", "A", "", "[Sec]\r\nA=\r\n"},
    {"line without = takes the value", "[Sec]\nk\n", "Sec", "k", "v", "[Sec]\r\nk=v\r\n"},
    {"quotes written as given", "[Sec]\nA=\"1\"\n", "Sec", "A", "1", "[Sec]\r\nA=1\r\n"},
    {"UTF-8 file stays UTF-8", "\xEF\xBB\xBF[S]\nA=1\n", "S", "A", "\xE9\x80",
     "\xEF\xBB\xBF[S]\r\nA=\xC3\xA9\xE2\x82\xAC\r\n"},
    {"UTF-16 file stays UTF-16", "\xFF\xFE[\0S\0]\0"s, "S", "A", "\xE9",
     "\xFF\xFE[\0S\0]\0\r\0\n\0A\0=\0\xE9\0\r\0\n\0"s},
    {"ANSI bytes kept", "[S]\nk=\x80\x81\x9D\xFF\n", "S", "A", "\x8D",
     "[S]\r\nk=\x80\x81\x9D\xFF\r\nA=\x8D\r\n"},
    {"second nameless line dropped", "[S]\n=a\n=b\nA=1\n", "S", "A", "2", "[S]\r\n=a\r\nA=2\r\n"},
    {"NUL ends a stored value", "[S]\nA=1\0x\nB=2\n"s, "S", "B", "3", "[S]\r\nA=1\r\nB=3\r\n"},
};

TEST_F(ProfileTest, Writes) {
  for (const WriteCase& c : kWrites) {
    SCOPED_TRACE(c.name);
    const std::string path = NewPath();
    if (c.before) {
      WriteBytes(path, *c.before);
    }
    EXPECT_TRUE(platform::ProfileWrite(c.section, c.key, c.value, path.c_str()));
    EXPECT_EQ(ReadBytes(path), c.after);
  }
}

TEST_F(ProfileTest, WriteThenReadGivesTheValue) {
  const std::string path = NewPath();
  WriteBytes(path, "\xEF\xBB\xBF junk\n[Sec\n[Sec]\nk\n=a\n[Sec]\nk=old\n");
  ASSERT_TRUE(platform::ProfileWrite("Sec", "k", "Times New Roman", path.c_str()));
  char buffer[255] = {};
  EXPECT_EQ(platform::ProfileRead("Sec", "k", "", buffer, sizeof buffer, path.c_str()), 15u);
  EXPECT_STREQ(buffer, "Times New Roman");
}

TEST_F(ProfileTest, WriteFailureTouchesNothing) {
  const std::string inMissingFolder = (dir_ / "none" / "f.ini").string();
  EXPECT_FALSE(platform::ProfileWrite("Sec", "k", "v", inMissingFolder.c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none"));
  // A folder where the file should be: reads give the default, writes fail.
  const std::string folder = dir_.string();
  char buffer[16] = {};
  EXPECT_EQ(platform::ProfileRead("Sec", "k", "d", buffer, sizeof buffer, folder.c_str()), 1u);
  EXPECT_STREQ(buffer, "d");
  EXPECT_FALSE(platform::ProfileWrite("Sec", "k", "v", folder.c_str()));
}

}  // namespace
