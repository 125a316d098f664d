#pragma once
// Where the controls sit on the panel and how the meter needle is built.
// The panel artwork is drawn around these rectangles, so the editor and the
// skin generator must read them from here.

namespace resources
{

struct SkinRect
{
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
};

struct SkinPoint
{
    int x, y;
};

inline constexpr int kPanelWidth = 400;
inline constexpr int kPanelHeight = 309;

// Knobs and switch: top-left plus one frame of their film strip.
inline constexpr SkinRect kProcessSwitchRect{262, 46, 368, 124};
inline constexpr SkinRect kTimeKnobRect{28, 143, 142, 257};
inline constexpr SkinRect kCompressionKnobRect{143, 143, 257, 257};
inline constexpr SkinRect kOutputKnobRect{258, 143, 372, 257};
inline constexpr SkinRect kRatioKnobRect{50, 50, 120, 120};
inline constexpr SkinRect kAboutAreaRect{96, 22, 304, 46};
inline constexpr SkinRect kAboutDisplayRect{0, 0, 400, 276};
inline constexpr SkinRect kVersionTextRect{299, 70, 340, 81};

// Meter: the face at its top-left, the overlay below the window, the needle.
inline constexpr SkinRect kMeterFaceRect{150, 66, 250, 152};
inline constexpr SkinPoint kMeterOverlayOrigin{143, 110};
inline constexpr SkinPoint kMeterPivot{200, 155};
inline constexpr float kMeterInnerRadius = 3.0f;
inline constexpr float kMeterOuterRadius = 86.0f;
inline constexpr double kMeterRestDegrees = 120.0; // needle angle at value 0
inline constexpr double kMeterSwingDegrees = 60.0; // value 1 is 60 degrees to the right

// Preset bar along the bottom edge.
inline constexpr int kBarBottom = kPanelHeight;
inline constexpr SkinRect kNameFieldRect{138, kBarBottom - 23, 251, kBarBottom - 9};
inline constexpr SkinRect kPresetMenuRect{254, kBarBottom - 24, 264, kBarBottom - 10};
inline constexpr SkinRect kRockerRect{269, kBarBottom - 23, 300, kBarBottom - 9};
inline constexpr SkinRect kLoadBankRect{119, kBarBottom - 15, 131, kBarBottom - 1};
inline constexpr SkinRect kSaveBankRect{55, kBarBottom - 15, 67, kBarBottom - 1};
inline constexpr SkinRect kLoadPresetRect{119, kBarBottom - 31, 131, kBarBottom - 17};
inline constexpr SkinRect kSavePresetRect{55, kBarBottom - 31, 67, kBarBottom - 17};
inline constexpr SkinRect kRecallMemoARect{327, kBarBottom - 31, 339, kBarBottom - 17};
inline constexpr SkinRect kRecallMemoBRect{327, kBarBottom - 15, 339, kBarBottom - 1};
inline constexpr SkinRect kStoreMemoARect{302, kBarBottom - 31, 314, kBarBottom - 17};
inline constexpr SkinRect kStoreMemoBRect{302, kBarBottom - 15, 314, kBarBottom - 1};

} // namespace resources
