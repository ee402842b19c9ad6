// A saved state as the plug-in's own chunks (the VST edition's formats): the bank, the current
// program's number and that program's chunk. The LV2 and CLAP editions keep sessions this way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Kestrune
{

class Model;

// One chunk into the model: a program's (into the current program) or a bank's.
bool ReadChunk(Model& model, const void* data, std::size_t size, bool program);

// Any piece may be missing (null). All or nothing: when a number is out of range or a chunk is
// refused, what was there is put back and the answer is false.
bool LoadStateChunks(Model& model, const void* bank, std::size_t bankSize,
                     const std::int32_t* program, const void* programChunk,
                     std::size_t programSize);

} // namespace Kestrune
