#pragma once

// Small helpers shared by the benchmarks.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace vantor::bench
