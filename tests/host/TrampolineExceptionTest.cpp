// Nothing a concrete effect throws may reach the host: every trampoline answers the interface's
// failure value instead.
#include "host/AEffEditor.h"
#include "host/AudioEffectX.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace
{

class ThrowingEffect : public AudioEffectX
{
public:
    explicit ThrowingEffect(int* destroyedCount = nullptr)
        : AudioEffectX(nullptr, 2, 2), destroyed(destroyedCount)
    {
        setNumInputs(2);
        setNumOutputs(2);
    }
    ~ThrowingEffect() override
    {
        if (destroyed != nullptr)
            ++*destroyed;
    }

    // Writes garbage first, so a trampoline that does not clear the outputs is caught.
    void processReplacing(float**, float** outputs, VstInt32 frames) override
    {
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[0][i] = outputs[1][i] = 1.0f;
        throw std::bad_alloc();
    }
    void processDoubleReplacing(double**, double** outputs, VstInt32 frames) override
    {
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[0][i] = outputs[1][i] = 1.0;
        throw std::runtime_error("double");
    }
    void process(float**, float** outputs, VstInt32 frames) override
    {
        for (VstInt32 i = 0; i < frames; ++i)
            outputs[0][i] = outputs[1][i] = 1.0f;
        throw 42;
    }
    void open() override { throw std::bad_alloc(); }
    void close() override { throw std::runtime_error("close"); }
    void setParameter(VstInt32, float) override { throw std::bad_alloc(); }
    float getParameter(VstInt32) override { throw std::bad_alloc(); }
    VstInt32 getChunk(void**, bool) override { throw std::bad_alloc(); }
    VstInt32 canDo(char*) override { throw std::length_error("canDo"); }
    VstInt32 processEvents(VstEvents*) override { throw std::bad_alloc(); }
    VstInt32 getVendorVersion() override { throw std::bad_alloc(); }

private:
    int* destroyed;
};

class ThrowingEditor : public AEffEditor
{
public:
    using AEffEditor::AEffEditor;
    void idle() override { throw std::bad_alloc(); }
};

} // namespace

TEST(TrampolineExceptions, DispatcherAnswersZero)
{
    ThrowingEffect effect;
    effect.setEditor(new ThrowingEditor(&effect));
    AEffect* record = effect.getAeffect();
    char text[32] = "receiveVstEvents";
    void* data = nullptr;
    VstEvents events{};
    EXPECT_EQ(record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effCanDo, 0, 0, text, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetChunk, 0, 0, &data, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effProcessEvents, 0, 0, &events, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f), 0);
    // resume asks canDo, which throws: the host still gets a plain 0.
    EXPECT_EQ(record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f), 0);
}

TEST(TrampolineExceptions, ProcessingAnswersSilence)
{
    ThrowingEffect effect;
    AEffect* record = effect.getAeffect();
    std::vector<float> inL(64, 0.5f), inR(64, 0.5f), outL(64, 0.5f), outR(64, 0.5f);
    float* inputs[] = {inL.data(), inR.data()};
    float* outputs[] = {outL.data(), outR.data()};
    record->processReplacing(record, inputs, outputs, 64);
    EXPECT_EQ(outL, std::vector<float>(64, 0.0f));
    EXPECT_EQ(outR, std::vector<float>(64, 0.0f));

    std::fill(outL.begin(), outL.end(), 0.5f);
    record->process(record, inputs, outputs, 64);
    EXPECT_EQ(outL, std::vector<float>(64, 0.0f));

    std::vector<double> dIn(32, 0.5), dOutL(32, 0.5), dOutR(32, 0.5);
    double* dInputs[] = {dIn.data(), dIn.data()};
    double* dOutputs[] = {dOutL.data(), dOutR.data()};
    record->processDoubleReplacing(record, dInputs, dOutputs, 32);
    EXPECT_EQ(dOutL, std::vector<double>(32, 0.0));
    EXPECT_EQ(dOutR, std::vector<double>(32, 0.0));
}

TEST(TrampolineExceptions, ParametersAnswerZero)
{
    ThrowingEffect effect;
    AEffect* record = effect.getAeffect();
    record->setParameter(record, 0, 0.5f);
    EXPECT_EQ(record->getParameter(record, 1), 0.0f);
}

TEST(TrampolineExceptions, CloseStillDestroysAndAnswersOne)
{
    int destroyed = 0;
    auto* effect = new ThrowingEffect(&destroyed);
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(destroyed, 1);
}
