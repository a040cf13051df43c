#pragma once

#include <exception>
#include <thread>

// Runs f on a new thread, which starts with fresh module state, and rethrows
// what it threw.
template <class F> void onFreshThread(F&& f) {
    std::exception_ptr failure;
    std::thread t([&] {
        try {
            f();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    t.join();
    if (failure)
        std::rethrow_exception(failure);
}
