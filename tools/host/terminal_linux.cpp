// Linux half of the terminal check for the progress bar.
#include <unistd.h>

#include "tools/host/progress_bar.h"

namespace host {

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace host
