#pragma once

#include "phaser/CorvanePhaserView.h"
#include "phaser/VstEditor.h"

// The plug-in's editor: a panel of 391 by 348 pixels at 96 dpi, times the editor's scale factor.
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
        rect = ERect{0, 0, static_cast<VstInt16>(ScaledLength(kHeight)),
                     static_cast<VstInt16>(ScaledLength(kWidth))};
        *result = &rect;
        return true;
    }

private:
    static constexpr int kWidth = 391;
    static constexpr int kHeight = 348;
    ERect rect{0, 0, kHeight, kWidth};
};
