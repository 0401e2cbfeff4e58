/* Finds the program's window (class and title "Client") from another process
   of the same Wine prefix.
     client-window rect   prints "left top right bottom style" of the window
     client-window close  posts WM_CLOSE to it, as a window manager would
   Exits with 1 when there is no such window. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    HWND window = FindWindowA("Client", "Client");
    RECT rect;
    if (argc != 2) {
        fprintf(stderr, "usage: client-window rect|close\n");
        return 2;
    }
    if (!window) return 1;
    if (strcmp(argv[1], "close") == 0) return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    GetWindowRect(window, &rect);
    printf("%ld %ld %ld %ld 0x%08lx\n", (long)rect.left, (long)rect.top, (long)rect.right, (long)rect.bottom,
           (unsigned long)GetWindowLongA(window, GWL_STYLE));
    fflush(stdout);
    return 0;
}
