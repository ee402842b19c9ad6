// corvane-lv2-bundle: writes the LV2 bundle's Turtle from the built model, and the factory
// programs of a bank file as presets.
//   corvane-lv2-bundle OUTPUT_DIR PLUGIN_BINARY [--ui UI_BINARY] [--bank FACTORY.fxb]
// Errors print one line and exit 1; each file appears whole or not at all.
#include "BundleWriter.h"
#include "WholeFile.h"
#include "model/ChunkReader.h"
#include "model/ChunkWriter.h"
#include "phaser/CorvanePhaserModel.h"
#include "phaser/Product.h"
#include "services/ServiceDispatcher.h"

#include "hostkit/PresetFile.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace
{
using namespace Kestrune;
using Tools::ReadWhole;
using Tools::WriteWhole;

constexpr std::int32_t kUniqueId = HostKit::FourCC("CPhr");

struct Arguments
{
    std::filesystem::path output;
    std::string pluginBinary;
    std::string uiBinary;
    std::string bank;
};

Arguments Parse(int argc, char** argv)
{
    if (argc < 3)
        throw std::runtime_error(
            "usage: corvane-lv2-bundle OUTPUT_DIR PLUGIN_BINARY [--ui UI] [--bank FILE.fxb]");
    Arguments arguments{argv[1], argv[2], {}, {}};
    for (int i = 3; i < argc; i += 2)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc || (option != "--ui" && option != "--bank"))
            throw std::runtime_error("unexpected argument '" + option + "'");
        (option == "--ui" ? arguments.uiBinary : arguments.bank) = argv[i + 1];
    }
    return arguments;
}

std::vector<Lv2::Preset> ReadFactoryBank(const std::string& path, CorvanePhaserModel& model)
{
    const std::string text = ReadWhole(path);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const HostKit::PresetFile bank = HostKit::ParsePreset(bytes, kUniqueId);
    if (bank.kind != HostKit::PresetKind::BankChunk)
        throw std::runtime_error(path + " is not a bank of chunks ('FBCh')");
    ChunkReader reader(bank.chunk.data(), bank.chunk.size());
    if (!model.ReadBank(reader))
        throw std::runtime_error(path + " holds a bank the plug-in refuses");

    std::vector<Lv2::Preset> presets;
    for (int p = 0; p < model.GetProgramCount(); ++p)
    {
        model.SetProgram(p);
        Lv2::Preset preset;
        char name[Model::kProgramNameSize] = {};
        model.CopyProgramName(name, sizeof name);
        preset.name = name;
        for (int i = 0; i < model.GetParameterCount(); ++i)
            preset.values.push_back(model.GetParameterValue(i));
        ChunkWriter chunk;
        model.WriteProgram(chunk);
        preset.programChunk.assign(chunk.GetData(), chunk.GetData() + chunk.GetSize());
        presets.push_back(preset);
    }
    Lv2::NamePresets(presets);
    return presets;
}

void Generate(const Arguments& arguments)
{
    std::filesystem::create_directories(arguments.output);
    std::vector<Lv2::Preset> presets;
    if (!arguments.bank.empty())
    {
        ServiceDispatcher dispatcher;
        presets = ReadFactoryBank(arguments.bank, *Product::CreateModel(&dispatcher));
    }
    ServiceDispatcher dispatcher;
    const auto model = Product::CreateModel(&dispatcher);

    std::ostringstream plugin;
    Lv2::WritePluginTurtle(plugin, *model);
    WriteWhole(arguments.output / "CorvanePhaser.ttl", plugin.str());
    if (!arguments.uiBinary.empty())
    {
        std::ostringstream ui;
        Lv2::WriteUiTurtle(ui);
        WriteWhole(arguments.output / "CorvanePhaserUI.ttl", ui.str());
    }
    std::filesystem::remove(arguments.output / "presets.ttl");
    if (!presets.empty())
    {
        std::ostringstream text;
        Lv2::WritePresets(text, presets);
        WriteWhole(arguments.output / "presets.ttl", text.str());
    }
    std::ostringstream manifest;
    Lv2::WriteManifest(manifest, {arguments.pluginBinary, arguments.uiBinary}, presets);
    WriteWhole(arguments.output / "manifest.ttl", manifest.str());
}
} // namespace

int main(int argc, char** argv)
{
    try
    {
        Generate(Parse(argc, argv));
        return 0;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "corvane-lv2-bundle: %s\n", error.what());
        return 1;
    }
}
