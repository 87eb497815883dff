#pragma once

// Where the link's few diagnostic lines go ("inet_addr for:%s failed %d\n", ...). The
// clients print them on standard output; a program whose standard output is its answer
// (the command-line remote) sends them elsewhere.

#include <functional>
#include <string>

namespace vantor::client {

// Called with one finished line (ending in "\n"), from whichever thread hit the problem.
using DiagnosticSink = std::function<void(const std::string& line)>;

// Writes to standard output.
DiagnosticSink StandardOutputSink();

// printf-style formatting for diagnostic lines.
std::string FormatDiagnostic(const char* format, const std::string& text, int number);

}  // namespace vantor::client
