#include "base/ErrLog.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Opens, writes one line and closes, so every line reaches the disk even though
// the process ends right after. Returns false when the log cannot be opened.
template <typename... Arguments>
bool AppendLine(const char* format, Arguments... arguments)
{
    FILE* log = std::fopen(ErrLogFileName, "a+");
    if (!log) return false;
    std::fprintf(log, format, arguments...);
    std::fputs("\n", log);
    std::fclose(log);
    return true;
}

}  // namespace

void ErrLog(const char* messageFormat, int32_t code)
{
    if (AppendLine(messageFormat, static_cast<int>(code))) std::exit(0);
}

void ErrLog(const char* message)
{
    if (AppendLine("%s", message)) std::exit(0);
}
