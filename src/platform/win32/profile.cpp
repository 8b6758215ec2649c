#include <windows.h>

#include "platform/profile.h"

namespace platform {

std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size, const char* path) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, static_cast<DWORD>(size),
                                  path);
}

bool ProfileWrite(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

}  // namespace platform
