// Records the messages that chosen windows of the window system receive, with the thread that
// delivered each, without changing what the windows do. Compiled into whichever binary owns the
// window system it watches (the test executable, or a test module through its driver).
#pragma once

#include "platform/CurrentThread.h"
#include "platform/Win32.h"
#include "platform/WindowSystem.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace TestSupport
{

struct SpiedMessage
{
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::uintptr_t thread; // the thread the window procedure ran on
};

class MessageSpy
{
public:
    // [ui] Wraps the window's procedure; the watch ends with the window.
    static bool Watch(HWND window)
    {
        Kestrune::Platform::Window* state = Kestrune::Platform::FindWindowState(window);
        if (state == nullptr || state->procedure == &Procedure)
            return false;
        std::lock_guard<std::mutex> guard(Mutex());
        Originals()[window] = state->procedure;
        state->procedure = &Procedure;
        return true;
    }

    static std::vector<SpiedMessage> Messages()
    {
        std::lock_guard<std::mutex> guard(Mutex());
        return Log();
    }

    static std::size_t Count()
    {
        std::lock_guard<std::mutex> guard(Mutex());
        return Log().size();
    }

    static SpiedMessage At(std::size_t index)
    {
        std::lock_guard<std::mutex> guard(Mutex());
        return index < Log().size() ? Log()[index] : SpiedMessage{};
    }

    static void Clear()
    {
        std::lock_guard<std::mutex> guard(Mutex());
        Log().clear();
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        WNDPROC original = nullptr;
        {
            std::lock_guard<std::mutex> guard(Mutex());
            const auto found = Originals().find(window);
            if (found != Originals().end())
                original = found->second;
            Log().push_back(SpiedMessage{window, message, wParam, lParam,
                                         Kestrune::Platform::CurrentThreadId()});
        }
        const LRESULT result = original != nullptr ? original(window, message, wParam, lParam) : 0;
        if (message == WM_NCDESTROY)
        {
            std::lock_guard<std::mutex> guard(Mutex());
            Originals().erase(window);
        }
        return result;
    }

    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::map<HWND, WNDPROC>& Originals()
    {
        static std::map<HWND, WNDPROC> originals;
        return originals;
    }
    static std::vector<SpiedMessage>& Log()
    {
        static std::vector<SpiedMessage> log;
        return log;
    }
};

} // namespace TestSupport
