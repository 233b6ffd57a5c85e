#pragma once
// A few threads kept for the life of their owner, to run short pieces of work beside the
// caller's own: handing one over costs a wake-up, not a new thread, and allocates nothing once
// the threads are running. A save hands over the preparing of its families and the check of
// what it wrote; the old ROM file is closed on one of them after the save has returned.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace morvi {

class TaskThreads {
public:
    // count threads, started when the first task is handed over; with none, a task runs at
    // once on the caller's thread.
    explicit TaskThreads(int count);
    // Ends the threads once nothing handed over is left to run.
    ~TaskThreads();
    TaskThreads(const TaskThreads&) = delete;
    TaskThreads& operator=(const TaskThreads&) = delete;

    // One piece of work handed over. It stays where it is while the work is pending (the
    // threads hold its address); destroying it waits for the work to finish. A task goes
    // before the threads it was handed to.
    class Task {
    public:
        Task() = default;
        Task(const Task&) = delete;
        Task& operator=(const Task&) = delete;
        ~Task() { finish(); }
        // Returns once the work has run; an exception it threw is thrown here.
        void wait();
        // Whether work was handed over and has not finished yet.
        bool pending() const;

    private:
        friend class TaskThreads;
        void finish(); // waits, keeping any exception for wait()
        TaskThreads* m_owner = nullptr;
        std::function<void()> m_work;
        std::exception_ptr m_error;
        Task* m_next = nullptr;
        bool m_done = true;
    };

    // Hands work over as task (a task still pending is waited for first).
    void start(Task& task, std::function<void()> work);

private:
    void serve();
    static void run(Task& task);

    int m_count;
    mutable std::mutex m_mutex;
    std::condition_variable m_handedOver; // a task is waiting, or the threads should end
    std::condition_variable m_finished;   // a task is done
    Task* m_first = nullptr;              // the tasks waiting for a thread, oldest first
    Task* m_last = nullptr;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};

} // namespace morvi
