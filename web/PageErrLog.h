// ErrLog in the page. The program appends its fatal line to "ErrLog.txt" and
// ends; the page has no process to end, so its ErrLog (PageErrLog.cpp, linked
// in place of base/ErrLog.cpp) keeps the line and returns, as the program's
// does when the log cannot be opened, and the page stops the world after the
// pass and shows the line.
#pragma once

// The line of the last ErrLog call since the last Clear, without its "\n";
// null when there was none.
const char* PageErrLogLine();

void ClearPageErrLog();
