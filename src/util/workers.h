// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace tamo::util {

// Work started on the program's one budget of worker threads, one per core. A task
// only starts when a thread is free, never queued, so a job that starts more work
// from inside a worker neither waits on itself nor raises the number of threads:
// with every thread busy, the caller does the work. Threads are made per task
// (not kept), which also keeps a child process made by fork() working.
class WorkerGroup
{
public:
    WorkerGroup() = default;
    WorkerGroup(const WorkerGroup &) = delete;
    WorkerGroup &operator=(const WorkerGroup &) = delete;
    ~WorkerGroup() { wait(); }

    // Starts task on a thread of its own when the budget allows; false, and nothing started, when not.
    bool tryStart(std::function<void()> task);
    // Returns once every task started has finished.
    void wait();

private:
    std::vector<std::thread> m_threads;
};

// Runs work(i) for every i below count, on the calling thread and on as many free
// worker threads as help; returns when all are done.
void forEachInParallel(std::size_t count, const std::function<void(std::size_t)> &work);

} // namespace tamo::util
