#pragma once
// The engine's one diagnostic channel: debug.txt, written by a background thread.

#include <exception>
#include <string>
#include <string_view>

namespace crv {

/** Formats a printf-style wide message (%s takes a wide string, %i/%d an int, %f a double) and
    queues it for debug.txt. Before the first novel state exists the format is queued unformatted;
    while loggingEnabled is off the message is dropped. A result longer than 1,023 characters is
    not logged: a notice goes to the debug-output channel instead. */
void OutputDebugStringN(const wchar_t* format, ...);

/** Queues text for debug.txt exactly as given (the host's entry: no formatting). */
void LogText(std::wstring_view text);

/** Writes text straight to the debug-output channel (standard error while CRV_DEBUG_OUTPUT is set),
    never to debug.txt. */
void DebugOutput(std::wstring_view text);

/** Blocks until every message queued so far has been written to debug.txt. */
void FlushLog();

/** Rewrites a Windows-style wide format so that glibc reads %s and %c as wide arguments. */
std::wstring WidenFormat(std::wstring_view format);

/** Logs "[Caught Exception] %s" for a std::exception held by the pointer; other kinds are ignored. */
void ReportException(std::exception_ptr exception);

} // namespace crv
