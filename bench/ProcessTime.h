// The processor time (user and system) the whole process has used, for the timing programs of
// bench/file-ratios: on a machine shared with other work, elapsed time mostly measures the others.
#pragma once

#include <sys/resource.h>

#include <cstdio>

inline void PrintProcessMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double ms = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::printf("%.3f\n", ms);
}
