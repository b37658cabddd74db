// Placeholder translation unit so libQZIO.so exists before its formats do.
namespace qzio {
int libraryPresent() { return 1; }
}
