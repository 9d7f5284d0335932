// A stand-in for the program the shell opens a page with: a window-less
// program that writes the page it was given (its second argument) into the
// file named by its first, and ends.
#include <cstdio>
#include <cstdlib>

#include "ui/win32/win32_headers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 1;
  std::FILE* record = std::fopen(__argv[1], "wb");
  if (record == nullptr) return 1;
  std::fputs(__argv[2], record);
  return std::fclose(record) == 0 ? 0 : 1;
}
