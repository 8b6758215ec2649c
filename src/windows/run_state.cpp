#include "windows/run_state.h"

#include <cstdint>
#include <exception>
#include <new>

#include "windows/taskbar.h"

namespace clep::win {

std::string CurrentErrorReport() {
  // E_FAIL and E_OUTOFMEMORY, for errors that carry no number of their own.
  std::uint32_t number = 0x80004005;
  const char* detail = nullptr;
  try {
    throw;
  } catch (const TrayWindowError& error) {
    number = error.Number();
  } catch (const std::bad_alloc&) {
    number = 0x8007000E;  // GCOVR_EXCL_LINE: no test runs out of memory
  } catch (const std::exception& error) {
    detail = error.what();
  } catch (...) {
  }
  char line[48];
  wsprintfA(line, "Run-time error %ld (%08lX)",
            static_cast<long>(static_cast<std::int32_t>(number)),
            static_cast<unsigned long>(number));
  std::string report = line;
  if (detail != nullptr && *detail != '\0') {
    report += "\r\n\r\n";
    report += detail;
  }
  return report;
}

}  // namespace clep::win
