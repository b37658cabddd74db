#include "app/program_main.h"

#include <cstdio>

int Qz_ProgramMain(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::printf("Quillantrix: the editor window is not available in this build yet.\n");
  return 0;
}
