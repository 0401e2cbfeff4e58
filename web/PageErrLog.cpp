#include "web/PageErrLog.h"

#include "base/ErrLog.h"

#include <cstdio>

namespace {

char line[512];
bool logged = false;

}  // namespace

void ErrLog(const char* messageFormat, int32_t code)
{
    std::snprintf(line, sizeof line, messageFormat, static_cast<int>(code));
    logged = true;
}

void ErrLog(const char* message)
{
    std::snprintf(line, sizeof line, "%s", message);
    logged = true;
}

const char* PageErrLogLine()
{
    return logged ? line : nullptr;
}

void ClearPageErrLog()
{
    logged = false;
}
