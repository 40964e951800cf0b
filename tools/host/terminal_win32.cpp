// Windows half of the terminal check for the progress bar.
#include <io.h>

#include <cstdio>

#include "tools/host/progress_bar.h"

namespace host {

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace host
