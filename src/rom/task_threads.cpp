#include "rom/task_threads.h"

#include <system_error>
#include <utility>

namespace morvi {

TaskThreads::TaskThreads(int count) : m_count(count < 0 ? 0 : count) {}

TaskThreads::~TaskThreads() {
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_handedOver.notify_all();
    for (auto& thread : m_threads) thread.join();
}

void TaskThreads::run(Task& task) {
    try {
        task.m_work();
    } catch (...) {
        task.m_error = std::current_exception();
    }
    // What the work holds goes now, before the task is seen as done.
    task.m_work = nullptr;
}

void TaskThreads::start(Task& task, std::function<void()> work) {
    task.finish();
    task.m_error = nullptr;
    task.m_work = std::move(work);
    task.m_owner = this;
    bool queued = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_threads.empty() && m_count > 0) {
            try {
                m_threads.reserve(std::size_t(m_count));
                for (int i = 0; i < m_count; ++i) m_threads.emplace_back([this] { serve(); });
            } catch (const std::system_error&) {
                // No thread could be had (the system's limit): those that started serve.
            }
        }
        if (!m_threads.empty()) {
            task.m_done = false;
            task.m_next = nullptr;
            (m_last ? m_last->m_next : m_first) = &task;
            m_last = &task;
            queued = true;
        }
    }
    if (!queued) {
        run(task); // no threads: here and now
        return;
    }
    m_handedOver.notify_one();
}

void TaskThreads::serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_handedOver.wait(lock, [this] { return m_first || m_ending; });
        if (!m_first) return; // ending, and nothing left to run
        Task& task = *m_first;
        m_first = task.m_next;
        if (!m_first) m_last = nullptr;
        lock.unlock();
        run(task);
        lock.lock();
        // The task's owner may destroy it as soon as this is seen: nothing touches it after.
        task.m_done = true;
        m_finished.notify_all();
    }
}

void TaskThreads::Task::finish() {
    if (!m_owner) return;
    std::unique_lock lock(m_owner->m_mutex);
    m_owner->m_finished.wait(lock, [this] { return m_done; });
}

void TaskThreads::Task::wait() {
    finish();
    if (m_error) std::rethrow_exception(std::exchange(m_error, nullptr));
}

bool TaskThreads::Task::pending() const {
    if (!m_owner) return false;
    std::lock_guard lock(m_owner->m_mutex);
    return !m_done;
}

} // namespace morvi
