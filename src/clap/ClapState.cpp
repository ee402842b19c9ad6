// The state extension: the bank and the current program as the plug-in's own chunks (the VST
// edition's formats) with the program's number, in one stream:
//   "CVPS", format 1, bank size, bank chunk, program number, program chunk size, program chunk
// (numbers 32-bit little-endian). A stream holding only a VST program or bank chunk (what a
// .fxp or .fxb carries) loads too.
#include "clap/ClapPlugin.h"

#include "model/StateChunks.h"
#include "phaser/CorvanePhaserModel.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace Kestrune::Clap
{

namespace
{
constexpr std::array<std::uint8_t, 4> kMagic = {'C', 'V', 'P', 'S'};
constexpr std::uint32_t kFormat = 1;
// Far above any real state (a bank is about 2 KiB): a stream beyond it is refused unread.
constexpr std::size_t kLargestState = 1 << 20;

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

bool WriteAll(const clap_ostream_t& stream, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size())
    {
        const std::int64_t n = stream.write(&stream, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(const clap_istream_t& stream, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t buffer[4096];
    for (;;)
    {
        const std::int64_t n = stream.read(&stream, buffer, sizeof buffer);
        if (n < 0 || static_cast<std::uint64_t>(n) > sizeof buffer)
            return false;
        if (n == 0)
            return true;
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (bytes.size() > kLargestState)
            return false;
    }
}

// Reads the container's pieces in order; each stays inside the bytes.
class Pieces
{
public:
    explicit Pieces(const std::vector<std::uint8_t>& data) : bytes(data) {}

    bool Word(std::uint32_t& value)
    {
        if (bytes.size() - at < 4)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
        at += 4;
        return true;
    }
    bool Block(const std::uint8_t*& data, std::size_t& size)
    {
        std::uint32_t length = 0;
        if (!Word(length) || bytes.size() - at < length)
            return false;
        data = bytes.data() + at;
        size = length;
        at += length;
        return true;
    }
    bool AtEnd() const { return at == bytes.size(); }

private:
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
};

} // namespace

bool ClapPlugin::Save(const clap_ostream_t& stream)
{
    if (stream.write == nullptr)
        return false;
    std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
    PutWord(bytes, kFormat);
    chunk.Clear();
    model->WriteBank(chunk);
    PutWord(bytes, static_cast<std::uint32_t>(chunk.GetSize()));
    bytes.insert(bytes.end(), chunk.GetData(), chunk.GetData() + chunk.GetSize());
    PutWord(bytes, static_cast<std::uint32_t>(model->GetProgram()));
    chunk.Clear();
    model->WriteProgram(chunk);
    PutWord(bytes, static_cast<std::uint32_t>(chunk.GetSize()));
    bytes.insert(bytes.end(), chunk.GetData(), chunk.GetData() + chunk.GetSize());
    return WriteAll(stream, bytes);
}

bool ClapPlugin::Load(const clap_istream_t& stream)
{
    std::vector<std::uint8_t> bytes;
    if (stream.read == nullptr || !ReadAll(stream, bytes))
        return false;
    bool loaded = false;
    if (bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
    {
        Pieces pieces(bytes);
        std::uint32_t skip = 0;
        std::uint32_t format = 0;
        std::uint32_t number = 0;
        const std::uint8_t* bank = nullptr;
        const std::uint8_t* program = nullptr;
        std::size_t bankSize = 0;
        std::size_t programSize = 0;
        const bool whole = pieces.Word(skip) && pieces.Word(format) && format == kFormat &&
                           pieces.Block(bank, bankSize) && pieces.Word(number) &&
                           pieces.Block(program, programSize) && pieces.AtEnd();
        const auto index = static_cast<std::int32_t>(number);
        loaded = whole && LoadStateChunks(*model, bank, bankSize, &index, program, programSize);
    }
    else
        loaded = LoadBareChunk(bytes.data(), bytes.size());
    if (!loaded)
        return false;
    model->NotifyAllParametersChanged();
    // The host reads the values again only when one it has is no longer the plug-in's: a
    // rescan may mark its session modified (Qtractor's does, its saved values being rounded).
    bool stale = false;
    for (int i = 0; i < kParameterCount; ++i)
    {
        const double had = hostHas[i].load();
        stale = stale || (!std::isnan(had) && had != ToClap(i, model->GetParameterValue(i)));
    }
    if (stale && hostParams != nullptr && hostParams->rescan != nullptr)
        hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    return true;
}

bool ClapPlugin::LoadBareChunk(const void* data, std::size_t size)
{
    return ReadChunk(*model, data, size, true) || ReadChunk(*model, data, size, false);
}

} // namespace Kestrune::Clap
