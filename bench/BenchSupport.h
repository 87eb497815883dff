#pragma once

// Small helpers shared by the benchmarks.

#include <sys/types.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantor::bench {

// A temporary folder for one benchmark program, made on first use, ending with '/'.
inline std::string BenchFolder(const char* prefix) {
    static const std::string folder = [prefix] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
        return std::string(mkdtemp(pattern.data())) + "/";
    }();
    return folder;
}

// Resets the kernel's peak-RSS mark so that the next reading is the peak of what follows.
inline void ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// "VmHWM:" (the peak) or "VmRSS:" (now) of this process, in MiB.
inline double MemoryMiB(const char* key = "VmHWM:") {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = key;
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::stod(line.substr(prefix.size())) / 1024.0;
    }
    return 0;
}

// A line of another process's /proc status ("VmRSS", "VmHWM", "Threads"), as a number
// (kB for memory); -1 when it is not there.
inline long ProcStatus(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const size_t length = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, length, key) == 0 && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    }
    return -1;
}

// The value below which the fraction `p` of the values lie (nearest rank); 0 when empty.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace vantor::bench
