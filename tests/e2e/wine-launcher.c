/* Starts the program named on its command line, waits for it and prints the
   exit code that Windows recorded for it, e.g. "wine-launcher: exit code -1". */
#include <windows.h>
#include <stdio.h>

static const char* SkipFirstArgument(const char* line)
{
    int quoted = 0;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

int main(void)
{
    char commandLine[32768];
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD code = 0;

    lstrcpynA(commandLine, SkipFirstArgument(GetCommandLineA()), sizeof commandLine);
    if (!commandLine[0]) {
        fprintf(stderr, "usage: wine-launcher program [arguments]\n");
        return 2;
    }
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "wine-launcher: cannot start %s (error %lu)\n", commandLine, GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    fflush(stdout);
    printf("wine-launcher: exit code %ld\n", (long)(LONG)code);
    fflush(stdout);
    return (int)code;
}
