// The meter preferences through the user's settings store, as the effect
// reads and repairs them when it is constructed.
#include <cmath>

#include <gtest/gtest.h>

#include "plugin/AutoComp.h"
#include "presets/PreferenceStore.h"
#include "presets/SettingsStore.h"
#include "tests/support/SettingsSandbox.h"

namespace
{

class Preferences : public ::testing::Test
{
  protected:
    SettingsSandbox settings;
};

TEST_F(Preferences, ConstructionCreatesTheMeterPreferenceDefaults)
{
    AutoComp effect(nullptr);
    EXPECT_EQ(readPreference("VUreference", -1000), -14.0f);
    EXPECT_EQ(readPreference("VUtimeConst", -1000), 0.6f);
    EXPECT_EQ(readPreference("PPMrelease", -1000), 0.6f);
    EXPECT_EQ(readPreference("PPMhold", -1000), 1.0f);
    EXPECT_DOUBLE_EQ(effect.getMeterPreferences().vuReferenceFactor, std::pow(10.0, -14 * 0.05));
}

TEST_F(Preferences, MissingMarkersAndOversizedValuesAreReplacedByDefaults)
{
    const double eight = 3.0;
    writePreference("VUtimeConst", -1000.0f);
    SettingsStore::forUser()->write(kPreferencesKey, "PPMrelease",
                                    SettingValue::binaryOf(&eight, sizeof eight));
    writePreference("VUreference", -20.0f);
    writePreference("PPMhold", 2.5f);

    AutoComp effect(nullptr);
    const AutoComp::MeterPreferences& held = effect.getMeterPreferences();
    EXPECT_FLOAT_EQ(static_cast<float>(held.vuReferenceFactor), 0.1f);
    EXPECT_EQ(held.vuTimeConst, static_cast<double>(0.6f));
    EXPECT_EQ(held.ppmRelease, static_cast<double>(0.6f));
    EXPECT_EQ(held.ppmHold, 2.5);
    EXPECT_EQ(readPreference("VUtimeConst", 7.0f), 0.6f);
    EXPECT_EQ(readPreference("PPMrelease", 7.0f), 0.6f);

    EXPECT_EQ(effect.setPPMhold(4.0), 0);
    EXPECT_EQ(effect.getPPMhold(), 4.0);
}

} // namespace
