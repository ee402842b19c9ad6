// A small concrete model for model tests: three groups of 5, 7 and 1 linear parameters over
// RecordingOwner objects, 13 parameters in all, like the plug-in's own layout.
#pragma once

#include "model/Model.h"
#include "parameters/Displays.h"
#include "parameters/Labels.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "parameters/Transforms.h"
#include "support/RecordingOwner.h"

#include <functional>
#include <mutex>
#include <string>

namespace TestSupport
{

using TestParameter =
    Kestrune::Parameters::Parameter<RecordingOwner, 32, Kestrune::Parameters::LinearTransform,
                                    Kestrune::Parameters::FloatDisplay,
                                    Kestrune::Parameters::UnitLabel<"Level">>;

// count parameters named "<prefix><i>" with defaults firstDefault + i / 64 (exact in binary).
class TestGroup : public Kestrune::Parameters::ParameterGroupBase<RecordingOwner, 32>
{
public:
    TestGroup(const char* shortName, const char* name, int count, float firstDefault)
        : ParameterGroupBase(shortName, name)
    {
        for (int i = 0; i < count; ++i)
        {
            const std::string shortText = std::string(shortName) + std::to_string(i);
            const std::string longText = std::string(name) + " " + std::to_string(i);
            AddParameter<TestParameter>(shortText.c_str(), longText.c_str(),
                                        firstDefault + static_cast<float>(i) / 64.0f,
                                        &RecordingOwner::SetLevel);
        }
    }
};

class TestModel : public Kestrune::Model
{
public:
    static constexpr int kParameterCount = 13;

    explicit TestModel(Kestrune::Midi::IMessageProvider* messages,
                       const char* effect = "Test Effect", const char* vendorName = "Test Vendor",
                       const char* productName = "Test Product", int vendorVersion = 1000)
        : Model(effect, vendorName, productName, vendorVersion, 32, messages)
    {
        first.AttachAll(&firstOwner);
        second.AttachAll(&secondOwner);
        third.AttachAll(&thirdOwner);
        AddGroup(&first);
        AddGroup(&second);
        AddGroup(&third);
    }

    int GetInputCount() override { return 2; }
    int GetOutputCount() override { return 2; }
    // What the audio thread does before its next slice: the owners take the changed settings.
    void Deliver()
    {
        std::lock_guard<Kestrune::RecursiveLock> guard(GetLock());
        DeliverLocked();
    }

    void Process(float** inputs, float** outputs, int sampleFrames) override
    {
        ++processCalls;
        lastFrames = sampleFrames;
        if (onProcess)
            onProcess();
        for (int i = 0; i < sampleFrames; ++i)
        {
            outputs[0][i] = inputs[0][i];
            outputs[1][i] = inputs[1][i];
        }
    }

    // Defaults by flat index: 0.0625 + i/64 in the first group, 0.25 + i/64 in the second,
    // 0.75 in the third.
    static float DefaultOf(int index)
    {
        if (index < 5)
            return 0.0625f + static_cast<float>(index) / 64.0f;
        if (index < 12)
            return 0.25f + static_cast<float>(index - 5) / 64.0f;
        return 0.75f;
    }

    RecordingOwner firstOwner{"first"};
    RecordingOwner secondOwner{"second"};
    RecordingOwner thirdOwner{"third"};
    TestGroup first{"A", "Alpha", 5, 0.0625f};
    TestGroup second{"B", "Beta", 7, 0.25f};
    TestGroup third{"C", "Gamma", 1, 0.75f};
    int processCalls = 0;
    int lastFrames = -1;
    std::function<void()> onProcess;
};

} // namespace TestSupport
