// A host callback that records every call and answers from a table, for tests
// that check what the plug-in asks its host.
#pragma once

#include "shell/host_interface.h"

#include <map>
#include <vector>

struct HostCall
{
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

// The callback is a plain function pointer, so the recorder is one per process;
// each test resets it.
struct RecordingHost
{
    static inline std::vector<HostCall> calls;
    static inline std::map<VstInt32, VstIntPtr> answers;

    static void reset(std::map<VstInt32, VstIntPtr> newAnswers = {{audioMasterVersion, kVstVersion}})
    {
        calls.clear();
        answers = std::move(newAnswers);
    }

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt)
    {
        calls.push_back({effect, opcode, index, value, ptr, opt});
        const auto it = answers.find(opcode);
        return it == answers.end() ? 0 : it->second;
    }
};
