// fontconfig keeps its configuration for the life of the process and never frees it (the
// window test's Qt loads it); that is not a leak of ours. Weak, like the reader tests' own.
extern "C" __attribute__((weak, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
