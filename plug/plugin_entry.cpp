// The module's creation lock, made on first use and destroyed at unload.
#include "plug/plugin_entry.h"

std::mutex& PluginCreationLock() {
  static std::mutex lock;
  return lock;
}
