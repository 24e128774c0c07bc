// A library that a test puts beside a program, as someone might put one beside a downloaded setup
// file: the program must not load it.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedLibraryLoaded() { return 1; }
