#pragma once

#include "host/HostCallback.h"
#include "host/Status.h"
#include "shell/host_interface.h"

#include <memory>
#include <string>

namespace host
{

// One plug-in loaded from its shared library and driven through the effect
// record only, the way a DAW drives it. Calls happen on the caller's thread;
// process may run on another thread than the rest, as in a DAW.
class PluginInstance
{
  public:
    // dlopen, then VSTPluginMain (or main) with our callback, then effOpen.
    static std::unique_ptr<PluginInstance> load(const std::string& path, Status& status);
    ~PluginInstance(); // stops if running, effClose, dlclose

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    const std::string& path() const { return modulePath; }
    AEffect& effect() const { return *record; }
    HostCallback& callback() { return hostCallback; }

    std::string effectName() const;
    std::string vendorString() const;
    std::string productString() const;
    VstIntPtr vendorVersion() const;
    VstIntPtr category() const;
    VstIntPtr canDo(const char* text) const;
    bool pinProperties(bool output, int index, VstPinProperties& properties) const;

    int parameterCount() const { return record->numParams; }
    std::string parameterName(int index) const;
    std::string parameterLabel(int index) const;
    std::string parameterDisplay(int index) const;
    float parameter(int index) const;
    void setParameter(int index, float value);

    int programCount() const { return record->numPrograms; }
    std::string programName(int index) const; // by index, without switching programs if the plug-in can
    void setProgram(int index);

    bool canReplacing() const { return (record->flags & effFlagsCanReplacing) != 0; }
    bool canDoubleReplacing() const { return (record->flags & effFlagsCanDoubleReplacing) != 0; }
    bool hasEditor() const { return (record->flags & effFlagsHasEditor) != 0; }

    // Announces the stream and switches the effect on, and off again.
    void start(int channels, double sampleRate, int blockSize, bool doublePrecision);
    void stop();

    void process(float** inputs, float** outputs, int frames);
    void process(double** inputs, double** outputs, int frames);

    // Any opcode, for callers that drive the plug-in in orders of their own.
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;

  private:
    PluginInstance() = default;
    std::string queryText(VstInt32 opcode, VstInt32 index = 0) const;

    std::string modulePath;
    void* library = nullptr;
    AEffect* record = nullptr;
    HostCallback hostCallback;
    bool running = false;
};

} // namespace host
