#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

// Order statistics of a set of samples.
inline double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(q * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Benchmarks run headless unless told otherwise.
inline void defaultToOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline double median(const std::vector<double>& values)
{
    return quantile(values, 0.5);
}

// A figure in kB from a /proc/.../status file, such as "VmHWM:" (peak) or "VmRSS:"; -1 if absent.
inline long statusKiB(const std::string& statusFile, const std::string& key)
{
    std::ifstream status(statusFile);
    std::string word;
    while (status >> word) {
        if (word == key) {
            long value = -1;
            status >> value;
            return value;
        }
    }
    return -1;
}

struct Figure {
    double ms;
    double peakMB; // above the memory in use before
};

// Runs the work once and reports its time and how far the peak memory rose above the memory in
// use before it (the kernel's high-water mark, reset first).
inline Figure measure(const std::function<void()>& work)
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long idle = statusKiB("/proc/self/status", "VmRSS:");
    QElapsedTimer clock;
    clock.start();
    work();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return {ms, double(statusKiB("/proc/self/status", "VmHWM:") - idle) / 1024.0};
}
