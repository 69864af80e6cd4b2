#include "core/Log.hpp"

#include "core/Services.hpp"
#include "core/Text.hpp"

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace crv {

namespace {

// Set once the writer has been destroyed at exit: later messages (from other static destructors)
// are dropped instead of reaching a destroyed object.
std::atomic<bool> g_writerGone{false};

// Owns debug.txt. The worker wakes when a message arrives and writes everything queued, in order,
// so a burst never lags behind; at shutdown it writes what is still queued before it closes.
class LogWriter {
public:
    LogWriter() {
        m_file = std::fopen("debug.txt", "wb");
        if (m_file) {
            char stamp[64] = {};
            std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            std::strftime(stamp, sizeof stamp, "%d-%m-%Y %H:%M:%S", &local);
            std::fprintf(m_file, "LOG START TIME (d-m-y): %s\n\n", stamp);
            std::fflush(m_file);
        }
        m_worker = std::thread([this] { run(); });
    }

    ~LogWriter() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_worker.joinable())
            m_worker.join();
        if (m_file)
            std::fclose(m_file);
        g_writerGone = true;
    }

    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void push(std::wstring message) {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(message));
            ++m_queued;
        }
        m_wake.notify_one();
    }

    void flush() {
        std::unique_lock lock(m_mutex);
        const unsigned long long target = m_queued;
        m_drained.wait(lock, [&] { return m_written >= target; });
    }

private:
    void run() {
        std::deque<std::wstring> batch;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_done || !m_queue.empty(); });
            if (m_queue.empty() && m_done)
                break;
            batch.swap(m_queue);
            lock.unlock();
            for (const std::wstring& message : batch)
                write(message);
            if (m_file)
                std::fflush(m_file);
            const auto count = batch.size();
            batch.clear();
            lock.lock();
            m_written += count;
            m_drained.notify_all();
        }
    }

    void write(const std::wstring& message) {
        DebugOutput(message);
        if (m_file) {
            const std::string bytes = toNarrow(message);
            std::fwrite(bytes.data(), 1, bytes.size(), m_file);
        } else {
            DebugOutput(L"\nERROR. (NHelper::concurrentLogger) DEBUG FILE NOT OPEN \n");
        }
    }

    std::FILE* m_file = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    std::deque<std::wstring> m_queue;
    unsigned long long m_queued = 0;
    unsigned long long m_written = 0;
    bool m_done = false;
    std::thread m_worker;
};

LogWriter& writer() {
    static LogWriter instance;
    return instance;
}

constexpr std::size_t kFormatBufferSize = 1024;

bool loggingAllowed() {
    const auto* vars = Services::SysVars();
    return vars == nullptr || vars->loggingEnabled;
}

} // namespace

std::wstring WidenFormat(std::wstring_view format) {
    std::wstring out;
    out.reserve(format.size() + 8);
    for (std::size_t i = 0; i < format.size(); ++i) {
        out.push_back(format[i]);
        if (format[i] != L'%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            out.push_back(L'%');
            ++i;
            continue;
        }
        // Copy flags, width, precision and length up to the conversion character.
        bool hasLength = false;
        std::size_t j = i + 1;
        for (; j < format.size(); ++j) {
            const wchar_t c = format[j];
            if (c == L'l' || c == L'h' || c == L'L' || c == L'z' || c == L'j' || c == L't' ||
                c == L'q' || c == L'I')
                hasLength = true;
            else if (!(c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0' || c == L'.' ||
                       c == L'*' || (c >= L'1' && c <= L'9')))
                break;
        }
        out.append(format.substr(i + 1, j - (i + 1)));
        if (j < format.size()) {
            const wchar_t conversion = format[j];
            if ((conversion == L's' || conversion == L'c') && !hasLength)
                out.push_back(L'l');
            if (conversion == L'S' || conversion == L'C') {
                out.push_back(L'l');
                out.push_back(conversion == L'S' ? L's' : L'c');
            } else {
                out.push_back(conversion);
            }
        }
        i = j;
    }
    return out;
}

void OutputDebugStringN(const wchar_t* format, ...) {
    if (format == nullptr || g_writerGone)
        return;
    try {
        LogWriter& log = writer();
        const auto* vars = Services::SysVars();
        if (vars == nullptr) {
            log.push(format);
            return;
        }
        if (!vars->loggingEnabled)
            return;
        // Only the host's thread formats, so one buffer serves every call.
        static wchar_t buffer[kFormatBufferSize];
        const std::wstring widened = WidenFormat(format);
        va_list args;
        va_start(args, format);
        const int written = std::vswprintf(buffer, kFormatBufferSize, widened.c_str(), args);
        va_end(args);
        if (written < 0 || static_cast<std::size_t>(written) >= kFormatBufferSize) {
            DebugOutput(L"[OutputDebugStringN] vsprintf_s error(possibly insufficient buffer size)");
            return;
        }
        log.push(std::wstring(buffer, static_cast<std::size_t>(written)));
    } catch (...) {
        DebugOutput(L"[OutputDebugStringN] Something went wrong\n");
        ReportException(std::current_exception());
    }
}

void LogText(std::wstring_view text) {
    if (g_writerGone)
        return;
    try {
        if (!loggingAllowed())
            return;
        writer().push(std::wstring(text));
    } catch (...) {
        DebugOutput(L"[OutputDebugStringN] Something went wrong\n");
    }
}

void DebugOutput(std::wstring_view text) {
    static const bool enabled = [] {
        const char* value = std::getenv("CRV_DEBUG_OUTPUT");
        return value != nullptr && *value != '\0';
    }();
    if (!enabled)
        return;
    const std::string bytes = toNarrow(text);
    // One write per message so lines from several threads do not interleave.
    [[maybe_unused]] auto ignored = ::write(STDERR_FILENO, bytes.data(), bytes.size());
}

void FlushLog() {
    if (!g_writerGone)
        writer().flush();
}

void ReportException(std::exception_ptr exception) {
    if (!exception)
        return;
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        LogText(L"[Caught Exception] " + toWide(e.what()));
    } catch (...) {
    }
}

} // namespace crv
