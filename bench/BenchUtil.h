#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

// Median time of one call, in nanoseconds, over `rounds` rounds of `calls` calls each.
// The median of rounds keeps one noisy moment on a shared machine from moving the figure.
inline double MedianNanos(int rounds, int calls, const std::function<void(int)>& call) {
    std::vector<double> perCall;
    int i = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int c = 0; c < calls; ++c) call(i++);
        const auto end = std::chrono::steady_clock::now();
        perCall.push_back(std::chrono::duration<double, std::nano>(end - start).count() / calls);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

inline void PrintRatio(const char* what, double ours, double reference, double target,
                       bool lowerIsBetter = true) {
    const double ratio = ours / reference;
    const bool ok = lowerIsBetter ? ratio <= target : ratio >= target;
    std::printf("%-52s ours %10.1f us  ref %10.1f us  ratio %5.2f  (target <= %.2f) %s\n", what,
                ours / 1000, reference / 1000, ratio, target, ok ? "ok" : "MISSED");
}

// Wall-clock time of one call, in nanoseconds.
inline double WallNanos(const std::function<void()>& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

// CPU time of this thread for one call, in nanoseconds: on a shared machine the wait for a core
// is no one's cost, and everything measured runs on the calling thread.
inline double CpuNanos(const std::function<void()>& fn) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
    };
    const double start = now();
    fn();
    return now() - start;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
