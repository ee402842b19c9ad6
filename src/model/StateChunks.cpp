#include "model/StateChunks.h"

#include "model/ChunkReader.h"
#include "model/ChunkWriter.h"
#include "model/Model.h"

namespace Kestrune
{

bool ReadChunk(Model& model, const void* data, std::size_t size, bool program)
{
    ChunkReader reader(data, size);
    return program ? model.ReadProgram(reader) : model.ReadBank(reader);
}

bool LoadStateChunks(Model& model, const void* bank, std::size_t bankSize,
                     const std::int32_t* program, const void* programChunk, std::size_t programSize)
{
    if (program != nullptr && (*program < 0 || *program >= model.GetProgramCount()))
        return false;
    ChunkWriter oldBank;
    model.WriteBank(oldBank);
    const int oldIndex = model.GetProgram();
    ChunkWriter oldProgram;
    model.WriteProgram(oldProgram);

    bool loaded = bank == nullptr || ReadChunk(model, bank, bankSize, false);
    if (loaded && program != nullptr)
        model.SetProgram(*program);
    loaded =
        loaded && (programChunk == nullptr || ReadChunk(model, programChunk, programSize, true));
    if (!loaded)
    {
        ReadChunk(model, oldBank.GetData(), oldBank.GetSize(), false);
        model.SetProgram(oldIndex);
        ReadChunk(model, oldProgram.GetData(), oldProgram.GetSize(), true);
    }
    return loaded;
}

} // namespace Kestrune
