// Fatal platform failures: one line appended to "ErrLog.txt", then the end of
// the process with exit code 0 through the normal exit path (static objects
// are torn down). The log is opened with "a+" for each line and closed again.
#pragma once

#include <cstdint>

constexpr const char* ErrLogFileName = "ErrLog.txt";

// Writes `messageFormat` with `code` put in by its "%d", then "\n", and exits.
// Returns only when the log cannot be opened; nothing is written then.
void ErrLog(const char* messageFormat, int32_t code);

// The same for a message that carries no code.
void ErrLog(const char* message);
