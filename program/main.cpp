// The Quillantrix program: everything lives in libquillantrix.so.
#include "app/program_main.h"

int main(int argc, char** argv) { return Qz_ProgramMain(argc, argv); }
