// A stand-in for the Windows folder's help viewer: a program that does
// nothing and carries cursor resource 106.
#include "ui/win32/win32_headers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
