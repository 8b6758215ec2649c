// The context menu's captions as the program builds them, a line each ("-"
// for a separator): the driver walks the menu by keys in this order.
#include <cstdio>

#include "menu/menu.h"

int main() {
  for (const clep::MenuEntry& entry : clep::kMenu) {
    std::printf("%s\n", entry.caption);
  }
}
