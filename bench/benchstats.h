#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
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
