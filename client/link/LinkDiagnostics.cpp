#include "client/link/LinkDiagnostics.h"

#include <cstdio>

namespace vantor::client {

DiagnosticSink StandardOutputSink() {
    return [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    };
}

std::string FormatDiagnostic(const char* format, const std::string& text, int number) {
    char line[512];
    std::snprintf(line, sizeof line, format, text.c_str(), number);
    return line;
}

}  // namespace vantor::client
