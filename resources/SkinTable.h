#pragma once
// The skin's bitmaps: one table that the generator, the loader, the editor
// and the tests all read. Film strips stack their frames vertically, frame 0
// at the top; every bitmap is a 24-bit uncompressed BMP.

#include <array>

namespace resources
{

enum SkinId : int
{
    kPanel = 12128,
    kProcessSwitch = 12129,
    kMeterFace = 12151,
    kMeterOverlay = 12152,
    kCompressionKnob = 12171,
    kTimeKnob = 12173,
    kOutputKnob = 12177,
    kRatioKnob = 12181,
    kAboutPicture = 12200,
    kRecallMemoA = 19991,
    kRecallMemoB = 19992,
    kLoadBank = 19993,
    kSaveBank = 19994,
    kStoreMemoA = 19995,
    kStoreMemoB = 19996,
    kPresetRocker = 19997,
    kLoadPreset = 19998,
    kSavePreset = 19999,
};

struct SkinBitmap
{
    int id;
    int width;
    int height; // whole bitmap, all frames
    int frames;
    const char* name;

    constexpr int frameHeight() const { return height / frames; }
};

// Frame order per bitmap:
//   process switch: Valve, Clear, Off (lever left, middle, right)
//   knobs:          lowest value first, equal steps up to the highest
//   memo buttons:   normal, highlighted, pressed, inactive
//   file buttons:   normal, highlighted, pressed, spare (drawn as inactive)
//   rocker:         normal, left lit, right lit, left pressed, right pressed
inline constexpr std::array<SkinBitmap, 18> kSkinBitmaps{{
    {kPanel, 400, 309, 1, "panel"},
    {kProcessSwitch, 106, 234, 3, "process switch"},
    {kMeterFace, 100, 86, 1, "meter face"},
    {kMeterOverlay, 113, 92, 1, "meter overlay"},
    {kCompressionKnob, 114, 4674, 41, "compression knob"},
    {kTimeKnob, 114, 2394, 21, "time knob"},
    {kOutputKnob, 114, 6954, 61, "output knob"},
    {kRatioKnob, 70, 490, 7, "ratio knob"},
    {kAboutPicture, 400, 276, 1, "about picture"},
    {kRecallMemoA, 12, 56, 4, "recall memo A"},
    {kRecallMemoB, 12, 56, 4, "recall memo B"},
    {kLoadBank, 12, 56, 4, "load bank"},
    {kSaveBank, 12, 56, 4, "save bank"},
    {kStoreMemoA, 12, 56, 4, "store memo A"},
    {kStoreMemoB, 12, 56, 4, "store memo B"},
    {kPresetRocker, 31, 70, 5, "preset rocker"},
    {kLoadPreset, 12, 56, 4, "load preset"},
    {kSavePreset, 12, 56, 4, "save preset"},
}};

constexpr const SkinBitmap* findSkinBitmap(int id)
{
    for (const SkinBitmap& b : kSkinBitmaps)
        if (b.id == id) return &b;
    return nullptr;
}

} // namespace resources
