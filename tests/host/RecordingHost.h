// A host callback for tests: records every request and answers from a per-opcode table
// (0 for opcodes without an entry). Single-threaded tests only: the state is process-wide.
#pragma once

#include "host/vst24.h"

#include <map>
#include <vector>

namespace TestSupport
{

struct HostCall
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost
{
public:
    static inline std::vector<HostCall> calls;
    static inline std::map<VstInt32, VstIntPtr> answers;

    static void Reset()
    {
        calls.clear();
        answers.clear();
    }

    static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt)
    {
        calls.push_back({effect, opcode, index, value, ptr, opt});
        const auto found = answers.find(opcode);
        return found == answers.end() ? 0 : found->second;
    }

    static int CountOf(VstInt32 opcode)
    {
        int count = 0;
        for (const HostCall& call : calls)
            count += call.opcode == opcode ? 1 : 0;
        return count;
    }
};

} // namespace TestSupport
