#include "runtime/fatal_exit.h"

#include <cstdlib>

void ExitOnOutOfMemory() {
  std::exit(-1);
}
