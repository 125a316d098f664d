#include "host/PluginInstance.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace host
{
namespace
{

// Texts are asked for with a generous buffer: plug-ins write more than the
// published minimum ("Compression" already needs 12 bytes).
constexpr std::size_t textCapacity = 256;

std::string trimmed(const char* text)
{
    std::string result(text);
    const auto first = result.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = result.find_last_not_of(" \t");
    return result.substr(first, last - first + 1);
}

VstPluginMainProc findEntry(void* library)
{
    void* entry = dlsym(library, "VSTPluginMain");
    if (entry == nullptr) entry = dlsym(library, "main");
    return reinterpret_cast<VstPluginMainProc>(entry);
}

} // namespace

std::unique_ptr<PluginInstance> PluginInstance::load(const std::string& path, Status& status)
{
    std::unique_ptr<PluginInstance> instance(new PluginInstance);
    instance->modulePath = path;
    instance->library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (instance->library == nullptr)
    {
        status = Status::failure("cannot load plug-in " + path + ": " + dlerror());
        return nullptr;
    }
    VstPluginMainProc entry = findEntry(instance->library);
    if (entry == nullptr)
    {
        status = Status::failure(path + " is not a plug-in: it exports neither VSTPluginMain nor main");
        return nullptr;
    }
    {
        HostCallback::LoadingScope scope(instance->hostCallback);
        instance->record = entry(&HostCallback::dispatch);
    }
    if (instance->record == nullptr || instance->record->magic != kEffectMagic)
    {
        status = Status::failure(path + " did not create an effect");
        instance->record = nullptr;
        return nullptr;
    }
    instance->hostCallback.attach(instance->record);
    instance->dispatch(effOpen);
    return instance;
}

PluginInstance::~PluginInstance()
{
    if (record != nullptr)
    {
        if (running) stop();
        record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    }
    if (library != nullptr) dlclose(library);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) const
{
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

std::string PluginInstance::queryText(VstInt32 opcode, VstInt32 index) const
{
    char text[textCapacity] = {};
    dispatch(opcode, index, 0, text);
    text[textCapacity - 1] = '\0';
    return trimmed(text);
}

std::string PluginInstance::effectName() const
{
    return queryText(effGetEffectName);
}
std::string PluginInstance::vendorString() const
{
    return queryText(effGetVendorString);
}
std::string PluginInstance::productString() const
{
    return queryText(effGetProductString);
}
VstIntPtr PluginInstance::vendorVersion() const
{
    return dispatch(effGetVendorVersion);
}
VstIntPtr PluginInstance::category() const
{
    return dispatch(effGetPlugCategory);
}

VstIntPtr PluginInstance::canDo(const char* text) const
{
    return dispatch(effCanDo, 0, 0, const_cast<char*>(text));
}

bool PluginInstance::pinProperties(bool output, int index, VstPinProperties& properties) const
{
    properties = VstPinProperties{};
    const VstIntPtr answer =
        dispatch(output ? effGetOutputProperties : effGetInputProperties, index, 0, &properties);
    properties.label[kVstMaxLabelLen - 1] = '\0';
    return answer != 0;
}

std::string PluginInstance::parameterName(int index) const
{
    return queryText(effGetParamName, index);
}
std::string PluginInstance::parameterLabel(int index) const
{
    return queryText(effGetParamLabel, index);
}
std::string PluginInstance::parameterDisplay(int index) const
{
    return queryText(effGetParamDisplay, index);
}
float PluginInstance::parameter(int index) const
{
    return record->getParameter(record, index);
}
void PluginInstance::setParameter(int index, float value)
{
    record->setParameter(record, index, value);
}

std::string PluginInstance::programName(int index) const
{
    char text[textCapacity] = {};
    if (dispatch(effGetProgramNameIndexed, index, -1, text) != 0) return trimmed(text);
    // Plug-ins without indexed names show only the current program's name.
    const auto current = static_cast<VstInt32>(dispatch(effGetProgram));
    if (index != current) return {};
    return queryText(effGetProgramName);
}

void PluginInstance::setProgram(int index)
{
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, index);
    dispatch(effEndSetProgram);
}

void PluginInstance::start(int channels, double sampleRate, int blockSize, bool doublePrecision)
{
    if (running) stop();
    hostCallback.setChannelCount(channels);
    hostCallback.setSampleRate(sampleRate);
    hostCallback.setBlockSize(blockSize);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effSetProcessPrecision, 0, doublePrecision ? kVstProcessPrecision64 : kVstProcessPrecision32);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running = true;
}

void PluginInstance::stop()
{
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginInstance::process(float** inputs, float** outputs, int frames)
{
    record->processReplacing(record, inputs, outputs, frames);
}

void PluginInstance::process(double** inputs, double** outputs, int frames)
{
    record->processDoubleReplacing(record, inputs, outputs, frames);
}

} // namespace host
