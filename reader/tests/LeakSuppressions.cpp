// fontconfig keeps its configuration for the life of the process and never frees it; that is
// not a leak of ours. Weak, so another test file of this program may bring the same hook.
extern "C" __attribute__((weak, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
