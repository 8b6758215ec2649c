#include "posix/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "settings/ini_text.h"

namespace clep {

namespace {

std::optional<std::string> ReadAll(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return std::nullopt;
  }
  std::string bytes;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.append(chunk, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? std::nullopt : std::optional<std::string>(std::move(bytes));
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    return false;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  // The file keeps the mode a new file would get, not mkstemp's 0600.
  const mode_t mask = umask(0);
  umask(mask);
  const bool ok = written == bytes.size() && fchmod(fd, 0666 & ~mask) == 0 && fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

IniFile::IniFile(std::string path, std::string section)
    : path_(std::move(path)), section_(std::move(section)) {}

std::optional<std::string> IniFile::Read(std::string_view key) const {
  const std::optional<std::string> bytes = ReadAll(path_);
  return bytes ? IniValue(*bytes, section_, key) : std::nullopt;
}

bool IniFile::Write(std::string_view key, std::optional<std::string_view> value) {
  errno = 0;
  const std::optional<std::string> bytes = ReadAll(path_);
  if (!bytes && errno != ENOENT) {
    return false;  // there but unreadable: never write over it
  }
  if (bytes && EncodingOf(*bytes) == IniEncoding::kUnwritable) {
    return false;
  }
  const std::optional<std::string> text = IniWithValue(bytes.value_or(""), section_, key, value);
  return !text || WriteWhole(path_, *text);
}

}  // namespace clep
