/* Finds the program's window (class and title "Client") from another process
   of the same Wine prefix.
     client-window rect         prints "left top right bottom style" of the window
     client-window close        posts WM_CLOSE to it, as a window manager would
     client-window front        restores it and brings it in front, as a click on
                                its taskbar button would
     client-window top <title>  whether the top-level window of that title is the
                                one seen at its own centre, above every other
   Exits with 1 when there is no such window, or (top) when another window
   covers it; top then names the window that is seen there. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static int SeenOnTop(const char* title)
{
    HWND window = FindWindowA(NULL, title);
    HWND seen;
    RECT rect;
    POINT centre;
    char seenTitle[128] = "";
    if (!window) return 1;
    GetWindowRect(window, &rect);
    centre.x = (rect.left + rect.right) / 2;
    centre.y = (rect.top + rect.bottom) / 2;
    seen = WindowFromPoint(centre);
    if (seen) seen = GetAncestor(seen, GA_ROOT);
    if (seen == window) return 0;
    if (seen) GetWindowTextA(seen, seenTitle, sizeof seenTitle);
    printf("at (%ld, %ld) the window \"%s\" is seen\n", (long)centre.x, (long)centre.y, seenTitle);
    fflush(stdout);
    return 1;
}

int main(int argc, char** argv)
{
    HWND window;
    RECT rect;
    if (argc == 3 && strcmp(argv[1], "top") == 0) return SeenOnTop(argv[2]);
    if (argc != 2) {
        fprintf(stderr, "usage: client-window rect|close|front|top <title>\n");
        return 2;
    }
    window = FindWindowA("Client", "Client");
    if (!window) return 1;
    if (strcmp(argv[1], "close") == 0) return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (strcmp(argv[1], "front") == 0) {
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        return SetForegroundWindow(window) ? 0 : 1;
    }
    GetWindowRect(window, &rect);
    printf("%ld %ld %ld %ld 0x%08lx\n", (long)rect.left, (long)rect.top, (long)rect.right, (long)rect.bottom,
           (unsigned long)GetWindowLongA(window, GWL_STYLE));
    fflush(stdout);
    return 0;
}
