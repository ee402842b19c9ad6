#include "model/StateChunks.h"

#include "model/ChunkReader.h"
#include "model/ChunkWriter.h"
#include "model/Model.h"

#include <mutex>

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
    // Read and checked whole before anything changes, so a refusal has nothing to undo, and
    // applied in one hold of the lock, so the audio thread never takes half a state.
    Model::BankState bankState;
    Model::ProgramState programState;
    if (bank != nullptr)
    {
        ChunkReader reader(bank, bankSize);
        if (!model.ParseBank(reader, bankState))
            return false;
    }
    if (programChunk != nullptr)
    {
        ChunkReader reader(programChunk, programSize);
        if (!model.ParseProgram(reader, programState))
            return false;
    }
    std::lock_guard<RecursiveLock> guard(model.GetLock());
    if (bank != nullptr)
        model.ApplyBank(bankState);
    if (program != nullptr)
        model.SetProgram(*program);
    if (programChunk != nullptr)
        model.ApplyProgram(programState);
    return true;
}

} // namespace Kestrune
