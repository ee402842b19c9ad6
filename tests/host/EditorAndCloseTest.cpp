// Editor opcodes with and without an editor, editor ownership, and effClose destroying the
// effect and its editor.
#include "host/AEffEditor.h"
#include "host/AudioEffectX.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{

struct EditorLog
{
    int destroyed = 0;
    int closes = 0;
    int idles = 0;
    void* parent = nullptr;
    std::vector<VstKeyCode> keysDown, keysUp;
    std::vector<VstInt32> knobModes;
};

class RecordingEditor : public AEffEditor
{
public:
    RecordingEditor(AudioEffect* owner, EditorLog& editorLog) : AEffEditor(owner), log(editorLog) {}
    ~RecordingEditor() override { ++log.destroyed; }

    ERect rect{0, 0, 348, 391};
    bool answer = true;

    bool getRect(ERect** out) override
    {
        *out = &rect;
        return answer;
    }
    bool open(void* ptr) override
    {
        AEffEditor::open(ptr);
        log.parent = ptr;
        return answer;
    }
    void close() override
    {
        ++log.closes;
        AEffEditor::close();
    }
    void idle() override { ++log.idles; }
    bool onKeyDown(VstKeyCode& key) override
    {
        log.keysDown.push_back(key);
        return answer;
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        log.keysUp.push_back(key);
        return answer;
    }
    bool setKnobMode(VstInt32 mode) override
    {
        log.knobModes.push_back(mode);
        return answer;
    }

private:
    EditorLog& log;
};

struct EffectLog
{
    int closes = 0;
    int destroyed = 0;
};

class CountingEffect : public AudioEffectX
{
public:
    explicit CountingEffect(EffectLog& effectLog) : AudioEffectX(nullptr, 1, 1), log(effectLog) {}
    ~CountingEffect() override { ++log.destroyed; }
    void processReplacing(float**, float**, VstInt32) override {}
    void close() override { ++log.closes; }

private:
    EffectLog& log;
};

VstIntPtr Dispatch(AEffect* record, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

} // namespace

TEST(EditorOpcodes, WithoutEditorAnswerZeroAndDoNothing)
{
    EffectLog effectLog;
    CountingEffect effect(effectLog);
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->flags & effFlagsHasEditor, 0);
    ERect* rect = reinterpret_cast<ERect*>(&effect);
    EXPECT_EQ(Dispatch(record, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(&effect)) << "nothing written";
    int parent = 0;
    EXPECT_EQ(Dispatch(record, effEditOpen, 0, 0, &parent), 0);
    EXPECT_EQ(Dispatch(record, effEditClose), 0);
    EXPECT_EQ(Dispatch(record, effEditIdle), 0);
    EXPECT_EQ(Dispatch(record, effEditKeyDown, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(Dispatch(record, effEditKeyUp, 'a', 1, nullptr, 1.0f), 0);
    EXPECT_EQ(Dispatch(record, effSetEditKnobMode, 0, 2), 0);
}

TEST(EditorOpcodes, ReachTheEditorAndReportItsAnswers)
{
    EffectLog effectLog;
    EditorLog log;
    CountingEffect effect(effectLog);
    auto* editor = new RecordingEditor(&effect, log);
    effect.setEditor(editor);
    AEffect* record = effect.getAeffect();
    EXPECT_EQ(record->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(editor->getEffect(), &effect);

    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(record, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->rect);
    EXPECT_EQ(Dispatch(record, effEditGetRect, 0, 0, nullptr), 0);

    auto* window = reinterpret_cast<void*>(std::uintptr_t(0x3a00007));
    EXPECT_EQ(Dispatch(record, effEditOpen, 0, 0, window), 1);
    EXPECT_EQ(log.parent, window);
    EXPECT_TRUE(editor->isOpen());
    Dispatch(record, effEditIdle);
    Dispatch(record, effEditIdle);
    EXPECT_EQ(log.idles, 2);

    EXPECT_EQ(Dispatch(record, effEditKeyDown, 'a', 0x1FF, nullptr, 3.9f), 1);
    ASSERT_EQ(log.keysDown.size(), 1u);
    EXPECT_EQ(log.keysDown[0].character, 'a');
    EXPECT_EQ(log.keysDown[0].virt, 0xFF);
    EXPECT_EQ(log.keysDown[0].modifier, 3);
    EXPECT_EQ(Dispatch(record, effEditKeyUp, 13, 7, nullptr, 259.7f), 1);
    ASSERT_EQ(log.keysUp.size(), 1u);
    EXPECT_EQ(log.keysUp[0].character, 13);
    EXPECT_EQ(log.keysUp[0].virt, 7);
    EXPECT_EQ(log.keysUp[0].modifier, 3) << "low byte of 259";
    Dispatch(record, effEditKeyDown, 'b', 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(log.keysDown.back().modifier, 0);
    EXPECT_EQ(Dispatch(record, effSetEditKnobMode, 0, 2), 1);
    EXPECT_EQ(log.knobModes, std::vector<VstInt32>{2});

    editor->answer = false;
    EXPECT_EQ(Dispatch(record, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(Dispatch(record, effEditOpen, 0, 0, window), 0);
    EXPECT_EQ(Dispatch(record, effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(Dispatch(record, effSetEditKnobMode, 0, 1), 0);

    EXPECT_EQ(Dispatch(record, effEditClose), 0);
    EXPECT_EQ(log.closes, 1);
    EXPECT_FALSE(editor->isOpen());
}

TEST(EditorOpcodes, BaseEditorDefaults)
{
    EffectLog effectLog;
    CountingEffect effect(effectLog);
    auto* editor = new AEffEditor(&effect);
    effect.setEditor(editor);
    AEffect* record = effect.getAeffect();

    ERect* rect = reinterpret_cast<ERect*>(&effect);
    EXPECT_EQ(Dispatch(record, effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(editor->isOpen());
    int parent = 0;
    EXPECT_EQ(Dispatch(record, effEditOpen, 0, 0, &parent), 0);
    EXPECT_TRUE(editor->isOpen()) << "open stores the parent window even when answering false";
    EXPECT_EQ(Dispatch(record, effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(Dispatch(record, effSetEditKnobMode, 0, 1), 0);
    EXPECT_FALSE(editor->onWheel(1.0f));
    Dispatch(record, effEditClose);
    EXPECT_FALSE(editor->isOpen());
}

TEST(EditorOwnership, TheEffectDeletesItsEditor)
{
    EditorLog first, second;
    EffectLog effectLog;
    {
        CountingEffect effect(effectLog);
        effect.setEditor(new RecordingEditor(&effect, first));
        effect.setEditor(new RecordingEditor(&effect, second));
        EXPECT_EQ(first.destroyed, 1) << "a replaced editor is deleted";
        EXPECT_EQ(second.destroyed, 0);
        effect.setEditor(effect.getEditor());
        EXPECT_EQ(second.destroyed, 0) << "installing the same editor again keeps it";
    }
    EXPECT_EQ(second.destroyed, 1);

    EditorLog third;
    CountingEffect effect(effectLog);
    effect.setEditor(new RecordingEditor(&effect, third));
    effect.setEditor(nullptr);
    EXPECT_EQ(third.destroyed, 1);
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
}

TEST(EffectClose, AnswersOneAndDestroysTheEffectAndItsEditor)
{
    EffectLog effectLog;
    EditorLog editorLog;
    auto* effect = new CountingEffect(effectLog);
    effect->setEditor(new RecordingEditor(effect, editorLog));
    AEffect* record = effect->getAeffect();
    EXPECT_EQ(Dispatch(record, effClose), 1);
    EXPECT_EQ(effectLog.closes, 1) << "close runs before destruction";
    EXPECT_EQ(effectLog.destroyed, 1);
    EXPECT_EQ(editorLog.destroyed, 1);
}
