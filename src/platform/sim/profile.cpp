#include "platform/profile.h"
namespace platform {
std::size_t ProfileRead(const char*, const char*, const char*, char* buffer, std::size_t size, const char*) { if (size) buffer[0] = 0; return 0; }
bool ProfileWrite(const char*, const char*, const char*, const char*) { return false; }
}
