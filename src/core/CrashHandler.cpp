#include "core/CrashHandler.hpp"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <initializer_list>
#include <cstring>

namespace crv {

namespace {

// Everything the handler needs is prepared up front: in the handler only async-signal-safe calls.
char g_crashPath[PATH_MAX + 16] = "crash.txt";
char g_logPath[PATH_MAX + 16] = "debug.txt";
bool g_installed = false;

void writeText(int fd, const char* text) {
    [[maybe_unused]] auto ignored = ::write(fd, text, std::strlen(text));
}

void onFatalSignal(int signal) {
    const int fd = ::open(g_crashPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        writeText(fd, "Corvel has encountered an error\n");
        writeText(fd, "signal: ");
        const char* name = "unknown";
        switch (signal) {
        case SIGSEGV: name = "SIGSEGV (segmentation fault)"; break;
        case SIGBUS: name = "SIGBUS (bus error)"; break;
        case SIGFPE: name = "SIGFPE (arithmetic error)"; break;
        case SIGILL: name = "SIGILL (illegal instruction)"; break;
        case SIGABRT: name = "SIGABRT (abort)"; break;
        }
        writeText(fd, name);
        writeText(fd, "\nlog: ");
        writeText(fd, g_logPath);
        writeText(fd, "\nbacktrace:\n");
        void* frames[64];
        const int count = backtrace(frames, 64);
        backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

bool InstallCrashHandler() {
    if (g_installed)
        return false;
    g_installed = true;
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) {
        std::strcpy(g_crashPath, cwd);
        std::strcat(g_crashPath, "/crash.txt");
        std::strcpy(g_logPath, cwd);
        std::strcat(g_logPath, "/debug.txt");
    }
    // backtrace loads libgcc on first use, which is not safe inside a handler: warm it up now.
    void* warm[1];
    backtrace(warm, 1);
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
    return true;
}

} // namespace crv
