// Editor base: the host reaches the plug-in's editor through the effect's editor pointer. Every
// operation runs on the host's user-interface thread [ui].
#pragma once

#include "host/vst24.h"

class AudioEffect;

class AEffEditor
{
public:
    explicit AEffEditor(AudioEffect* owner = nullptr) : effect(owner) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }

    // Stores the editor's rectangle address (null: no size yet); true when one is given.
    virtual bool getRect(ERect** rect)
    {
        if (rect != nullptr)
            *rect = nullptr;
        return false;
    }

    // ptr is the host's parent window (an HWND, or an X11 window id cast to a pointer).
    virtual bool open(void* ptr)
    {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}

    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }

protected:
    AudioEffect* effect;          // owner, not owned
    void* systemWindow = nullptr; // host's parent window while open
};
