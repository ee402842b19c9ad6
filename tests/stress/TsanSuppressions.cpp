// cairo is not built with the thread sanitizer: the object pools it shares between threads are
// guarded by atomics the sanitizer cannot see, so two user-interface threads (two module copies,
// each painting its own surfaces) show up as races inside cairo. Our own window state stays
// checked: a report is dropped only when a frame lies in cairo. Read only in sanitizer builds,
// which look the hook up dynamically, hence the default visibility.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions()
{
    return "race:libcairo.so\n";
}
