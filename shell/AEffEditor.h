// Minimal editor attached to an effect: it knows its effect and, while open,
// the host's parent window. Concrete editors override the virtuals.
#pragma once

#include "shell/host_interface.h"

class AudioEffect;

class AEffEditor
{
  public:
    explicit AEffEditor(AudioEffect* owner) : effect(owner) {}
    virtual ~AEffEditor() = default;

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect; }
    // Stores the editor's size record, owned by the editor, in *rect.
    virtual bool getRect(ERect** rect)
    {
        if (rect) *rect = nullptr;
        return false;
    }
    virtual bool open(void* ptr)
    {
        systemWindow = ptr;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& keyCode) { return false; }
    virtual bool onKeyUp(VstKeyCode& keyCode) { return false; }
    virtual bool onWheel(float distance) { return false; }
    virtual bool setKnobMode(VstInt32 val) { return false; }

  protected:
    AudioEffect* effect = nullptr; // not owned
    void* systemWindow = nullptr;  // host's parent window while open
};
