// Linked into programs that draw text: fontconfig keeps its pattern caches, reached through
// the text library's font map, until the process ends, and LeakSanitizer reports them.
// They are the library's own; our allocations stay checked.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
