// The Windows program's entry point.
#include "app/program.h"

int main() {
  return app::RunProgram();
}
