// The Windows program's entry point.
#include <cstdlib>

#include "app/program.h"

// A GUI program has no console for libstdc++'s verbose terminate message;
// its default handler would also pull in the demangler and a printf, more
// than half the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

int main() {
  return app::RunProgram();
}
