// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/workers.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace tamo::util {

namespace {

// Threads are a resource of the whole process, like its files: one count for all jobs.
std::atomic<int> &freeThreads()
{
    static std::atomic<int> free = int(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
    return free;
}

} // namespace

bool WorkerGroup::tryStart(std::function<void()> task)
{
    std::atomic<int> &free = freeThreads();
    for (int seen = free.load(); ;) {
        if (seen <= 0)
            return false;
        if (free.compare_exchange_weak(seen, seen - 1))
            break;
    }
    try {
        m_threads.emplace_back([task = std::move(task), &free] {
            task();
            ++free;
        });
    } catch (const std::system_error &) { // no thread to be had: the caller works alone
        ++free;
        return false;
    }
    return true;
}

void WorkerGroup::wait()
{
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
}

void forEachInParallel(std::size_t count, const std::function<void(std::size_t)> &work)
{
    std::atomic<std::size_t> next = 0;
    const auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    WorkerGroup group;
    for (std::size_t helpers = 1; helpers < count && group.tryStart(drain); ++helpers) {}
    drain();
    group.wait();
}

} // namespace tamo::util
