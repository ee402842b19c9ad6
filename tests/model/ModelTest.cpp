#include "midi/MessageDispatcher.h"
#include "support/TestModel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

using Kestrune::IModelObserver;
using Kestrune::Midi::MessageDispatcher;
using TestSupport::TestModel;

namespace
{

using Log = std::vector<std::string>;

class Observer : public IModelObserver
{
public:
    Observer(Log& sharedLog, std::string tag) : log(sharedLog), name(std::move(tag)) {}
    void OnParameterChanged(int index) override
    {
        log.push_back(name + ":" + std::to_string(index));
        if (onChange)
            onChange(index);
    }
    void OnAllParametersChanged() override { log.push_back(name + ":all"); }

    std::function<void(int)> onChange;

private:
    Log& log;
    std::string name;
};

class ModelTest : public ::testing::Test
{
protected:
    std::string ProgramName(int index)
    {
        char name[Kestrune::Model::kProgramNameSize];
        EXPECT_TRUE(model.CopyProgramName(index, name, sizeof name));
        return name;
    }

    Log log;
    MessageDispatcher messages;
    TestModel model{&messages};
};

} // namespace

TEST_F(ModelTest, StartsWith32BlankProgramsProgramZeroAndNoMappedController)
{
    EXPECT_STREQ(model.GetEffectName(), "Test Effect");
    EXPECT_STREQ(model.GetVendorString(), "Test Vendor");
    EXPECT_STREQ(model.GetProductString(), "Test Product");
    EXPECT_EQ(model.GetVendorVersion(), 1000);
    EXPECT_EQ(model.GetProgramCount(), 32);
    EXPECT_EQ(model.GetProgram(), 0);
    for (int p = 0; p < 32; ++p)
        EXPECT_EQ(ProgramName(p), "Blank") << "program " << p;
    for (int c = 0; c < 128; ++c)
        EXPECT_FALSE(model.IsMapped(static_cast<std::uint8_t>(c))) << "controller " << c;
    EXPECT_EQ(model.GetInputCount(), 2);
}

TEST_F(ModelTest, FlatIndexRunsAcrossGroupsInTheOrderTheyWereAdded)
{
    EXPECT_EQ(model.GetParameterCount(), TestModel::kParameterCount);
    // Groups A, B and C of 5, 7 and 1 parameters, named by group and position.
    for (int i = 0; i < TestModel::kParameterCount; ++i)
    {
        const std::string group = i < 5 ? "A" : i < 12 ? "B" : "C";
        const int position = i < 5 ? i : i < 12 ? i - 5 : 0;
        EXPECT_EQ(model.GetGroupShortName(i), group) << i;
        EXPECT_EQ(model.GetParameterShortName(i), group + std::to_string(position)) << i;
        EXPECT_EQ(model.GetParameterValue(i), TestModel::DefaultOf(i)) << i;
    }
    EXPECT_STREQ(model.GetParameterName(11), "Beta 6");
    EXPECT_STREQ(model.GetGroupName(12), "Gamma");
    EXPECT_STREQ(model.GetParameterLabel(7), "Level");
    EXPECT_STREQ(model.GetParameterDisplay(5), "0.250");

    model.SetParameterValue(5, 0.5f);
    EXPECT_EQ(model.second.GetParameterValue(0), 0.5f);
    EXPECT_NE(model.secondOwner.calls.back(), "second.level=0.500000") << "owners wait for audio";
    model.Deliver();
    EXPECT_EQ(model.secondOwner.calls.back(), "second.level=0.500000");
    EXPECT_STREQ(model.GetParameterDisplay(5), "0.500");
}

TEST_F(ModelTest, RefusesParameterIndicesOutsideTheModel)
{
    for (int bad : {-1, TestModel::kParameterCount, 1000, std::numeric_limits<int>::min()})
    {
        EXPECT_EQ(model.GetParameterValue(bad), 0.0f);
        EXPECT_STREQ(model.GetParameterShortName(bad), "");
        EXPECT_STREQ(model.GetParameterName(bad), "");
        EXPECT_STREQ(model.GetParameterLabel(bad), "");
        EXPECT_STREQ(model.GetParameterDisplay(bad), "");
        EXPECT_STREQ(model.GetGroupShortName(bad), "");
        EXPECT_STREQ(model.GetGroupName(bad), "");
        model.SetParameterValue(bad, 0.9f);
    }
    for (int i = 0; i < TestModel::kParameterCount; ++i)
        EXPECT_EQ(model.GetParameterValue(i), TestModel::DefaultOf(i));
}

TEST_F(ModelTest, SetProgramMovesEveryGroupWithoutNotifying)
{
    Observer a{log, "a"};
    model.AddObserver(&a);
    model.first.SetParameterProgramValue(4, 1, 0.875f);
    model.SetProgram(4);
    EXPECT_EQ(model.GetProgram(), 4);
    EXPECT_EQ(model.first.GetProgram(), 4);
    EXPECT_EQ(model.third.GetProgram(), 4);
    EXPECT_EQ(model.GetParameterValue(1), 0.875f);
    model.Deliver();
    EXPECT_EQ(model.firstOwner.calls.back(), "first.level=0.875000");
    EXPECT_TRUE(log.empty());
    model.RemoveObserver(&a);
}

TEST_F(ModelTest, RefusesProgramsOutsideTheModel)
{
    model.SetProgram(2);
    for (int bad : {-1, 32, 1 << 30})
    {
        model.SetProgram(bad);
        char name[24] = "unchanged";
        EXPECT_FALSE(model.CopyProgramName(bad, name, sizeof name));
        EXPECT_STREQ(name, "") << "a refused query hands out an empty name";
    }
    EXPECT_EQ(model.GetProgram(), 2);
    EXPECT_EQ(model.first.GetProgram(), 2);
}

TEST_F(ModelTest, ProgramNamesAreBoundedCopies)
{
    model.SetProgram(3);
    model.SetProgramName("A name that is far longer than the field");
    EXPECT_EQ(ProgramName(3), "A name that is far long"); // 23 characters
    EXPECT_EQ(ProgramName(2), "Blank");

    char small[4];
    model.CopyProgramName(small, sizeof small);
    EXPECT_STREQ(small, "A n");
    model.CopyProgramName(nullptr, 10); // nothing to write to: ignored
    model.SetProgramName(nullptr);
    EXPECT_EQ(ProgramName(3), "A name that is far long");
}

TEST_F(ModelTest, NotifiesEveryObserverButTheSourceAndRespectsDuplicates)
{
    Observer a{log, "a"};
    Observer b{log, "b"};
    model.AddObserver(&a);
    model.AddObserver(&b);
    model.AddObserver(&a);

    model.NotifyParameterChanged(3, nullptr);
    EXPECT_EQ(log, (Log{"a:3", "b:3", "a:3"}));
    log.clear();
    model.NotifyParameterChanged(4, &a);
    EXPECT_EQ(log, Log{"b:4"});
    log.clear();
    model.NotifyAllParametersChanged();
    EXPECT_EQ(log, (Log{"a:all", "b:all", "a:all"}));
    log.clear();
    model.NotifyParameterChanged(TestModel::kParameterCount, nullptr); // no such parameter
    model.NotifyParameterChanged(-1, nullptr);
    EXPECT_TRUE(log.empty());

    model.RemoveObserver(&a); // every occurrence
    model.NotifyParameterChanged(0, nullptr);
    EXPECT_EQ(log, Log{"b:0"});
    model.RemoveObserver(&b);
}

TEST_F(ModelTest, UnmappedControllersChangeNothing)
{
    Observer a{log, "a"};
    model.AddObserver(&a);
    for (int controller = 0; controller < 128; ++controller)
        messages.Dispatch(0xB0, static_cast<std::uint8_t>(controller), 127);
    EXPECT_TRUE(log.empty());
    for (int i = 0; i < TestModel::kParameterCount; ++i)
        EXPECT_EQ(model.GetParameterValue(i), TestModel::DefaultOf(i));
    model.RemoveObserver(&a);
}

TEST_F(ModelTest, MappedControllerSetsValueOver127AndNotifiesEveryone)
{
    Observer a{log, "a"};
    Observer b{log, "b"};
    model.AddObserver(&a);
    model.AddObserver(&b);
    model.MapController(7, 5);

    messages.Dispatch(0xB3, 7, 127); // any channel
    EXPECT_EQ(model.GetParameterValue(5), 1.0f);
    messages.Dispatch(0xB0, 7, 0);
    EXPECT_EQ(model.GetParameterValue(5), 0.0f);
    messages.Dispatch(0xB0, 7, 64);
    EXPECT_EQ(model.GetParameterValue(5), 64.0f * 0.007874016f);
    EXPECT_NEAR(model.GetParameterValue(5), 64.0 / 127.0, 1e-7);
    EXPECT_EQ(log, (Log{"a:5", "b:5", "a:5", "b:5", "a:5", "b:5"}));
    model.Deliver();
    EXPECT_EQ(model.secondOwner.calls.back(), "second.level=0.503937");

    log.clear();
    model.MapController(8, 99); // beyond the parameters: nothing happens
    messages.Dispatch(0xB0, 8, 100);
    EXPECT_TRUE(log.empty());
    model.RemoveObserver(&a);
    model.RemoveObserver(&b);
}

TEST_F(ModelTest, ObserversRunUnderTheLockAndMayCallBackIntoTheModel)
{
    Observer a{log, "a"};
    std::atomic<bool> otherThreadGotLock{true};
    a.onChange = [&](int index)
    {
        std::thread other([&] { otherThreadGotLock = model.GetLock().try_lock(); });
        other.join();
        if (otherThreadGotLock)
            model.GetLock().unlock();
        model.SetParameterValue(index, 0.0f); // same thread: the lock is recursive
    };
    model.AddObserver(&a);
    model.NotifyParameterChanged(2, nullptr);
    EXPECT_FALSE(otherThreadGotLock.load());
    EXPECT_EQ(model.GetParameterValue(2), 0.0f);
    model.RemoveObserver(&a);
}

TEST_F(ModelTest, AudioThreadChangesNeverWaitAndAreKeptWhileTheLockIsHeld)
{
    Observer inside{log, "inside"};
    Observer outside{log, "outside"};
    model.AddObserver(&inside);
    model.SetOutsideObserver(&outside);
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder(
        [&]
        {
            std::lock_guard<Kestrune::RecursiveLock> guard(model.GetLock());
            held = true;
            while (!release)
                std::this_thread::yield();
        });
    while (!held)
        std::this_thread::yield();
    model.ChangeParameterValueFromAudio(1, 0.25f, nullptr);
    model.ChangeParameterValueFromAudio(1, 0.5f, nullptr); // the latest is kept
    EXPECT_NE(model.GetParameterValue(1), 0.5f) << "made while another thread held the lock";
    EXPECT_TRUE(log.empty());
    release = true;
    holder.join();

    {
        std::lock_guard<Kestrune::RecursiveLock> guard(model.GetLock());
        model.DeliverLocked();
        EXPECT_EQ(log, (Log{"inside:1"})) << "the outside one after";
    }
    model.TellKeptChanges();
    EXPECT_EQ(model.GetParameterValue(1), 0.5f);
    EXPECT_EQ(log, (Log{"inside:1", "outside:1"}));
    model.TellKeptChanges();
    EXPECT_EQ(log.size(), 2u) << "told once";
    model.SetOutsideObserver(nullptr);
    model.RemoveObserver(&inside);
}

TEST(ModelLifetime, DetachesFromTheMessageProviderWhenDestroyed)
{
    MessageDispatcher messages;
    {
        TestModel model{&messages};
        model.MapController(1, 0);
        messages.Dispatch(0xB0, 1, 127);
        EXPECT_EQ(model.GetParameterValue(0), 1.0f);
    }
    messages.Dispatch(0xB0, 1, 0); // would reach freed memory if still attached
}

// Program switches, renames and reads from other threads at once; the thread sanitizer
// build checks that names, programs, values and texts are read race-free.
TEST(ModelConcurrency, ReadsRaceWithProgramChangesWithoutHarm)
{
    MessageDispatcher messages;
    TestModel model{&messages};
    for (int p = 0; p < 32; ++p)
        model.first.SetParameterProgramValue(p, 0, static_cast<float>(p) / 32.0f);
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::thread reader(
        [&]
        {
            char name[24];
            while (!done.load())
            {
                model.CopyProgramName(name, sizeof name);
                const std::string text = name;
                if (text != "Blank" && text != "Renamed")
                    ++bad;
                const int program = model.GetProgram();
                if (program < 0 || program > 1)
                    ++bad;
                const float value = model.GetParameterValue(0);
                if (value != 0.0f && value != 1.0f / 32.0f)
                    ++bad;
                if (std::string(model.GetParameterDisplay(0)).size() != 5)
                    ++bad;
            }
        });
    for (int i = 0; i < 2000; ++i)
    {
        model.SetProgram(i % 2);
        model.SetProgramName((i % 4) < 2 ? "Blank" : "Renamed");
    }
    done = true;
    reader.join();
    EXPECT_EQ(bad.load(), 0);
}
