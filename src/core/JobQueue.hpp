#pragma once
// First-in, first-out queue of deferred work that the frame loop drains once per update.

#include <deque>
#include <functional>
#include <mutex>

namespace crv {

class JobQueue {
public:
    using Job = std::function<void()>;

    /** Queues a job behind every job already queued. */
    void push(Job job) {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }

    /** Takes the oldest job; false when the queue is empty. */
    bool tryPop(Job& job) {
        std::lock_guard lock(m_mutex);
        if (m_jobs.empty())
            return false;
        job = std::move(m_jobs.front());
        m_jobs.pop_front();
        return true;
    }

    /** Drops every queued job without running it. */
    void clear() {
        std::deque<Job> dropped;
        {
            std::lock_guard lock(m_mutex);
            dropped.swap(m_jobs);
        }
    }

    std::size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_jobs.size();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<Job> m_jobs;
};

} // namespace crv
