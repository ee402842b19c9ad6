// The state extension: a session keeps the bank and the current program as the plug-in's own
// chunks (the VST edition's formats), plus the program's number.
#include "lv2/Lv2Plugin.h"

#include "model/StateChunks.h"
#include "phaser/CorvanePhaserModel.h"

#include <cstring>
#include <vector>

namespace Kestrune::Lv2
{

namespace
{
constexpr std::uint32_t kFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

struct Retrieved
{
    const void* data = nullptr;
    std::size_t size = 0;
    std::uint32_t type = 0;
};

Retrieved Fetch(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, LV2_URID key)
{
    Retrieved value;
    std::uint32_t flags = 0;
    value.data = retrieve(handle, key, &value.size, &value.type, &flags);
    return value;
}

} // namespace

LV2_State_Status Lv2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!urids.Mapped() || store == nullptr)
        return LV2_STATE_ERR_NO_FEATURE;
    TakePendingPortValues();
    chunk.Clear();
    model->WriteBank(chunk);
    LV2_State_Status status =
        store(handle, urids.stateBank, chunk.GetData(), chunk.GetSize(), urids.atomChunk, kFlags);
    if (status != LV2_STATE_SUCCESS)
        return status;
    const std::int32_t program = model->GetProgram();
    status = store(handle, urids.stateProgram, &program, sizeof program, urids.atomInt, kFlags);
    if (status != LV2_STATE_SUCCESS)
        return status;
    chunk.Clear();
    model->WriteProgram(chunk);
    return store(handle, urids.stateProgramChunk, chunk.GetData(), chunk.GetSize(), urids.atomChunk,
                 kFlags);
}

// Any of the three may be missing (a preset holds only the program chunk); whatever is there
// must be whole and of its type, or nothing changes.
LV2_State_Status Lv2Plugin::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!urids.Mapped() || retrieve == nullptr)
        return LV2_STATE_ERR_NO_FEATURE;
    const Retrieved bank = Fetch(retrieve, handle, urids.stateBank);
    const Retrieved number = Fetch(retrieve, handle, urids.stateProgram);
    const Retrieved program = Fetch(retrieve, handle, urids.stateProgramChunk);
    if ((bank.data != nullptr && bank.type != urids.atomChunk) ||
        (program.data != nullptr && program.type != urids.atomChunk) ||
        (number.data != nullptr && (number.type != urids.atomInt || number.size != 4)))
        return LV2_STATE_ERR_BAD_TYPE;
    std::int32_t index = -1;
    if (number.data != nullptr)
        std::memcpy(&index, number.data, sizeof index);
    if (!LoadStateChunks(*model, bank.data, bank.size, number.data != nullptr ? &index : nullptr,
                         program.data, program.size))
        return LV2_STATE_ERR_UNKNOWN;
    resync = true;
    return LV2_STATE_SUCCESS;
}

} // namespace Kestrune::Lv2
