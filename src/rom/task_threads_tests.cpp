#include "rom/task_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>

namespace morvi {
namespace {

using namespace std::chrono_literals;

TEST(TaskThreads, TasksRunSideBySideAndAreDoneWhenWaitedFor) {
    TaskThreads threads(2);
    // Each task waits for the other to have started: they finish only when two threads run them.
    std::atomic<int> started{0};
    std::atomic<bool> sawOther[2] = {false, false};
    auto meet = [&](int i) {
        started.fetch_add(1);
        const auto giveUp = std::chrono::steady_clock::now() + 10s;
        while (started.load() < 2 && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
        sawOther[i] = started.load() == 2;
    };
    TaskThreads::Task a, b;
    threads.start(a, [&] { meet(0); });
    threads.start(b, [&] { meet(1); });
    a.wait();
    b.wait();
    EXPECT_TRUE(sawOther[0]);
    EXPECT_TRUE(sawOther[1]);
    EXPECT_FALSE(a.pending());

    // The work runs off the caller's thread, and what it captured is let go before wait returns.
    auto held = std::make_shared<int>(7);
    std::thread::id ranOn;
    threads.start(a, [&, held] { ranOn = std::this_thread::get_id(); });
    a.wait();
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_EQ(held.use_count(), 1);
}

TEST(TaskThreads, ATaskHandedOverAgainRunsAfterItsFirstWork) {
    TaskThreads threads(2);
    TaskThreads::Task task;
    std::atomic<int> order{0};
    int first = -1, second = -1;
    threads.start(task, [&] {
        std::this_thread::sleep_for(20ms);
        first = order.fetch_add(1);
    });
    threads.start(task, [&] { second = order.fetch_add(1); });
    task.wait();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST(TaskThreads, AnExceptionReachesTheWaiterOnceAndTheTaskServesAgain) {
    for (int count : {0, 1}) {
        TaskThreads threads(count);
        TaskThreads::Task task;
        threads.start(task, [] { throw std::runtime_error("disk on fire"); });
        EXPECT_THROW(task.wait(), std::runtime_error) << count << " threads";
        EXPECT_NO_THROW(task.wait());
        bool ran = false;
        threads.start(task, [&] { ran = true; });
        task.wait();
        EXPECT_TRUE(ran);
    }
}

TEST(TaskThreads, NothingIsLeftRunningWhenTasksOrThreadsGo) {
    std::atomic<int> done{0};
    {
        TaskThreads threads(1);
        {
            TaskThreads::Task task; // destroyed unwaited
            threads.start(task, [&] {
                std::this_thread::sleep_for(20ms);
                done.fetch_add(1);
            });
        }
        EXPECT_EQ(done.load(), 1);
    }

    // Without threads the work runs at once, on the caller's thread.
    TaskThreads none(0);
    TaskThreads::Task task;
    std::thread::id ranOn;
    none.start(task, [&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_FALSE(task.pending());
}

} // namespace
} // namespace morvi
