// Xlib keeps its locale and key-map tables, and fontconfig its pattern caches, for the life of the
// process; LeakSanitizer would report them at exit. Read only in sanitizer builds, which look the
// hook up dynamically, hence the default visibility.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libX11\n";
}
