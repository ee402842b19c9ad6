// fontconfig (under cairo's text) keeps pattern caches for the life of the process and never
// frees them; LeakSanitizer would report them at exit. Read only in sanitizer builds, which look
// the hook up dynamically, hence the default visibility.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}
