#pragma once

// The bundle's names: read by both modules and by the Turtle generator, so a
// renamed file or URI cannot leave the description behind.
namespace lv2uri
{
inline constexpr const char* kStereo = "https://trv-sonikwerk.example/lv2/amberlit";
inline constexpr const char* kMono = "https://trv-sonikwerk.example/lv2/amberlit-mono";
inline constexpr const char* kUi = "https://trv-sonikwerk.example/lv2/amberlit#ui";
inline constexpr const char* kStateKey = "https://trv-sonikwerk.example/lv2/amberlit#state";
// A published preset's state: which factory preset it is, so that choosing it
// in the host's menu also names the preset being edited.
inline constexpr const char* kPresetKey = "https://trv-sonikwerk.example/lv2/amberlit#preset";
inline constexpr const char* kPresetBase = "https://trv-sonikwerk.example/lv2/amberlit/preset/";
inline constexpr const char* kDspBinary = "amberLit.so";
inline constexpr const char* kUiBinary = "amberLit_ui.so";
} // namespace lv2uri
