// Command-line parsing of corvane-render: times, MIDI messages, file names, program lists and
// refusals.
#include "Options.h"
#include "ProgramList.h"
#include "RenderError.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace Kestrune::Render;

namespace
{

Options Parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv = {"corvane-render"};
    argv.insert(argv.end(), args);
    return ParseOptions(static_cast<int>(argv.size()), argv.data());
}

} // namespace

TEST(RenderOptions, TimesInSecondsOrSamples)
{
    const Options options =
        Parse({"--cc", "1.5:1:64", "--cc", "0.25s:7:0", "--pressure", "48000smp:100", "out.wav"});
    ASSERT_EQ(options.events.size(), 3u);
    EXPECT_EQ(options.events[0].time.ToFrame(44100.0), 66150);
    EXPECT_EQ(options.events[0].status, 0xB0);
    EXPECT_EQ(options.events[0].data1, 1);
    EXPECT_EQ(options.events[0].data2, 64);
    EXPECT_EQ(options.events[1].time.ToFrame(48000.0), 12000);
    EXPECT_EQ(options.events[2].time.ToFrame(44100.0), 48000) << "sample indices ignore the rate";
    EXPECT_EQ(options.events[2].status, 0xD0);
    EXPECT_EQ(options.events[2].data1, 100);
    EXPECT_EQ(Parse({"--cc", "0.00001:1:1", "o.wav"}).events[0].time.ToFrame(44100.0), 0)
        << "rounded to the nearest sample";
}

TEST(RenderOptions, FilesAndDefaults)
{
    Options options = Parse({"out.wav"});
    EXPECT_EQ(options.input, "");
    EXPECT_EQ(options.output, "out.wav");
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tempo, 120.0);

    options = Parse({"--block=65536", "--param=PMix=0.5", "--param", "0=1", "in.flac", "out.wav"});
    EXPECT_EQ(options.input, "in.flac");
    EXPECT_EQ(options.output, "out.wav");
    EXPECT_EQ(options.blockSize, 65536);
    ASSERT_EQ(options.params.size(), 2u);
    EXPECT_EQ(options.params[0].name, "PMix");
    EXPECT_EQ(options.params[0].value, "0.5");

    options = Parse({"--", "--odd-name.wav"});
    EXPECT_EQ(options.output, "--odd-name.wav");
    EXPECT_TRUE(Parse({"--list"}).list) << "listing needs no output";
    EXPECT_TRUE(Parse({"--help", "--block", "64"}).help) << "help needs no output";
}

TEST(RenderOptions, NumbersAreLocaleFreeAndWhole)
{
    EXPECT_EQ(Parse({"--tempo", "+97.5", "o.wav"}).tempo, 97.5);
    for (const char* bad : {"97,5", "inf", "nan", "", "1e999", "0x10"})
        EXPECT_THROW(Parse({"--tempo", bad, "o.wav"}), UsageError) << bad;
    EXPECT_THROW(Parse({"--program", "1.5", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--program", "-1", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--program", "0", "o.wav"}), UsageError) << "programs count from 1";
}

TEST(RenderOptions, RefusesMistakes)
{
    EXPECT_THROW(Parse({"--frobnicate", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"-x", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--block"}), UsageError);
    EXPECT_THROW(Parse({"--program", "1", "--program", "2", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--param", "NoValue", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--param", "=1", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--cc", "1:1:1:1", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--cc", "-1:1:1", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--seconds", "2", "in.wav", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({"--save-preset", "o.wav", "o.wav"}), UsageError);
    EXPECT_THROW(Parse({}), UsageError);
    EXPECT_THROW(Parse({"--save-programs", "dir"}), UsageError) << "needs --programs";
    EXPECT_THROW(Parse({"--program-name", "123456789012345678901234", "o.wav"}), UsageError);
}

TEST(RenderOptions, ProgramLists)
{
    const auto programs =
        ParseProgramList("# bank\n\n  Deep Sweep \nPSM=12\tPFB=-2.5dB\nLSRes=1/8\nQuiet\n", "l");
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[0].name, "Deep Sweep");
    ASSERT_EQ(programs[0].settings.size(), 3u);
    EXPECT_EQ(programs[0].settings[1].setting.value, "-2.5dB");
    EXPECT_EQ(programs[0].settings[2].line, 5) << "errors name the line";
    EXPECT_EQ(programs[1].name, "Quiet");
    for (const char* refused : {"PSM=8\n", "A\nB\na\n", "A\nPSM=8 PFB\n", "Slow/Fast\n",
                                "Twenty Four Characters!!\n", "# only\n"})
        EXPECT_THROW(ParseProgramList(refused, "l"), RenderError) << refused;
}
