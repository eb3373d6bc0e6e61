// Exports plain C entry points, as the outside modules do. It posts through the
// win32 layer as the encoder module does, so the tests see whether a plug-in
// reaches the program's windows.
#include "win32/messages.h"

extern "C" {
__attribute__((visibility("default"))) int probe_answer() { return 42; }
__attribute__((visibility("default"))) int probe_add(int a, int b) { return a + b; }
__attribute__((visibility("default"))) int probe_post(HWND hwnd, UINT message, LPARAM result)
{
    return PostMessage(hwnd, message, 0, result) ? 1 : 0;
}
}
