// A small effect on the shell's base classes, independent of the engine, that
// counts the virtual calls the dispatcher makes.
#pragma once

#include "shell/AEffEditor.h"
#include "shell/AudioEffectX.h"

#include <cstring>

struct TestEditor : AEffEditor
{
    explicit TestEditor(AudioEffect* owner, bool* destroyedFlag = nullptr)
        : AEffEditor(owner), destroyed(destroyedFlag)
    {
    }
    ~TestEditor() override
    {
        if (destroyed) *destroyed = true;
    }
    bool onKeyDown(VstKeyCode& key) override
    {
        lastKey = key;
        return key.character == 'a';
    }
    bool onKeyUp(VstKeyCode& key) override
    {
        lastKey = key;
        return false;
    }
    bool setKnobMode(VstInt32 mode) override
    {
        knobMode = mode;
        return true;
    }
    void idle() override { ++idles; }

    VstKeyCode lastKey{};
    VstInt32 knobMode = -1;
    int idles = 0;
    bool* destroyed;
};

class TestEffect : public AudioEffectX
{
  public:
    explicit TestEffect(audioMasterCallback host, bool* destroyedFlag = nullptr)
        : AudioEffectX(host, 1, 12), destroyed(destroyedFlag)
    {
    }
    ~TestEffect() override
    {
        if (destroyed) *destroyed = true;
    }

    void processReplacing(float**, float**, VstInt32) override {}
    void open() override { ++opens; }
    void close() override { ++closes; }
    void suspend() override { ++suspends; }
    void resume() override { ++resumes; }
    void setParameter(VstInt32 index, float value) override { lastSet = {index, value}; }
    void getProgramName(char* name) override { std::strcpy(name, "Program"); }

    int opens = 0, closes = 0, suspends = 0, resumes = 0;
    struct
    {
        VstInt32 index = -1;
        float value = 0.0f;
    } lastSet;
    bool* destroyed;

    // Exposed for tests of the base behaviour the overrides above hide.
    void baseResume() { AudioEffectX::resume(); }
};
