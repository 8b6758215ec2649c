// The INI ("private profile") store: one section-and-key text store per file.
#pragma once

#include <cstddef>

namespace platform {

// Reads [section] key from the file at path into buffer, as Windows'
// GetPrivateProfileStringA does: copies at most size - 1 characters, always
// NUL-terminates, and returns the count copied. A missing file, section or key
// gives defaultValue.
std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size, const char* path);

// Writes [section] key=value to the file at path, creating the file and the
// section when missing, replacing the key's value when present and leaving
// every other line as it was. False when the file could not be written.
bool ProfileWrite(const char* section, const char* key, const char* value, const char* path);

}  // namespace platform
