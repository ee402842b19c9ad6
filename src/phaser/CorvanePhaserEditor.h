#pragma once

#include "phaser/CorvanePhaserView.h"
#include "gui/Editor.h"

// The plug-in's editor: a fixed 391 by 348 pixel panel.
class CorvanePhaserEditor : public Kestrune::Vst::Editor<CorvanePhaserView>
{
public:
    CorvanePhaserEditor(AudioEffect* owner, HINSTANCE instance, Kestrune::Model* pluginModel)
        : Editor(owner, instance, pluginModel)
    {
    }

    bool getRect(ERect** result) override
    {
        if (result == nullptr)
            return false;
        *result = &rect;
        return true;
    }

private:
    ERect rect{0, 0, 348, 391};
};
