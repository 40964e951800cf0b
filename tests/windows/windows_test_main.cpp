// Entry of the Windows test program: GoogleTest's flags first, then the plug-in DLL's path.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/windows/windows_test_paths.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s [gtest flags] PLUGIN.dll [OUTPUT_DIR]\n", argv[0]);
    return 2;
  }
  SetTestPaths(argv[1], argc > 2 ? argv[2] : ".");
  return RUN_ALL_TESTS();
}
