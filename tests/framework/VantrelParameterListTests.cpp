#include "Parameters/GenericTemplates.h"
#include "VantrelParameterList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST (VantrelParameterList, TableOfParameters)
{
    struct Row
    {
        const char* id;
        float min, max, defaultValue;
        std::uint32_t unit, flags;
        char mapping; // l linear, c cube, n note
    };
    const Row rows[] {
        { "DryWet", 0, 100, 50, 3, 0, 'l' },
        { "InputGain", -30, 12, 0, 10, 0, 'l' },
        { "InputFilterResonance", -24, 24, 0, 10, 0, 'l' },
        { "InputFilterFrequency", 20, 20000, 400, 8, 0, 'n' },
        { "InputFilterType", 0, 1, 0, 2, 2, 'l' },
        { "PitchShifterModeA", 0, 2, 0, 1, 2, 'l' },
        { "PitchShifterAmountA", 0, 100, 0, 3, 0, 'l' },
        { "PitchA", -24, 24, 0, 1, 2, 'l' },
        { "FineA", -50, 50, 0, 3, 2, 'l' },
        { "DelayTimeA", 40, 1000, 500, 5, 0, 'l' },
        { "PitchShifterModeB", 0, 2, 0, 1, 2, 'l' },
        { "PitchShifterAmountB", 0, 100, 0, 3, 0, 'l' },
        { "PitchB", -24, 24, 0, 1, 2, 'l' },
        { "FineB", -50, 50, 0, 3, 2, 'l' },
        { "DelayTimeB", 40, 1000, 500, 5, 0, 'l' },
        { "PreDelay", 0, 200, 10, 5, 0, 'c' },
        { "ReverbLength", 0.2f, 30, 5, 4, 0, 'c' },
        { "ReverbColor", 800, 18000, 6000, 8, 4, 'c' },
        { "RoomSize", 0, 100, 50, 3, 0, 'l' },
        { "ModulationRate", 0.5f, 12.5f, 2.5f, 7, 0, 'l' },
        { "ModulationAmount", 0, 100, 30, 3, 0, 'l' },
        { "DuckingThreshold", -40, 0, 0, 10, 0, 'l' },
        { "DuckingAttack", 1, 200, 20, 5, 0, 'l' },
        { "DuckingRelease", 10, 1000, 100, 5, 0, 'l' },
    };
    VantrelParameterList list;
    ASSERT_EQ (25u, list.size());
    for (unsigned long i = 0; i < 24; ++i)
    {
        const Parameter& p = list.at (i);
        const Row& r = rows[i];
        SCOPED_TRACE (r.id);
        EXPECT_EQ (int (i), p.index);
        EXPECT_EQ (std::string (r.id), p.id);
        EXPECT_EQ (r.min, p.min);
        EXPECT_EQ (r.max, p.max);
        EXPECT_EQ (r.defaultValue, p.defaultValue);
        EXPECT_EQ (r.unit, p.type);
        EXPECT_EQ (r.flags, p.flags);
        EXPECT_EQ (1.0f, p.scale);
        EXPECT_TRUE (p.valueList.empty());
        const bool named = i == VantrelParameterList::InputFilterType || i == VantrelParameterList::PitchShifterModeA
                           || i == VantrelParameterList::PitchShifterModeB;
        EXPECT_EQ (named, p.valueText != nullptr);
        EXPECT_FALSE (p.isOutput);
        EXPECT_EQ ((r.flags & FlagNotRamped) == 0, p.ramper != nullptr);
        const auto from = r.mapping == 'c' ? &GenericTemplates::powThree : r.mapping == 'n' ? &GenericTemplates::ratioToFrequencies : nullptr;
        const auto to = r.mapping == 'c' ? &GenericTemplates::invertPowThree : r.mapping == 'n' ? &GenericTemplates::frequenciesToRatio : nullptr;
        EXPECT_EQ (from, p.fromNormalised);
        EXPECT_EQ (to, p.toNormalised);
    }
    const Parameter& meter = list.at (VantrelParameterList::DuckingPeakMeter);
    EXPECT_EQ ("DuckingPeakMeter", meter.id);
    EXPECT_TRUE (meter.isOutput);
    EXPECT_EQ (nullptr, meter.ramper);
    EXPECT_EQ (0.0f, meter.max);
    EXPECT_EQ (0u, meter.flags);

    EXPECT_EQ ((std::vector<unsigned long> { 16, 6, 11, 0 }), list.getFavourites());

    const auto& mode = list.at (VantrelParameterList::PitchShifterModeB);
    EXPECT_EQ (std::string ("PRE FEEDBACK POST "),
               std::string (mode.valueText (0)) + " " + mode.valueText (1) + " " + mode.valueText (2) + " " + mode.valueText (3));
    const auto& type = list.at (VantrelParameterList::InputFilterType);
    EXPECT_EQ (std::string ("lowshelf hipass "), std::string (type.valueText (0)) + " " + type.valueText (1) + " " + type.valueText (-1));
    EXPECT_TRUE (list.getUnrandomizable().empty());
}

TEST (GenericTemplates, CubeAndNoteMappings)
{
    using namespace GenericTemplates;
    EXPECT_FLOAT_EQ (25.0f, powThree (0, 200, 0.5f));
    EXPECT_FLOAT_EQ (0.5f, invertPowThree (0, 200, 25));
    EXPECT_EQ (200.0f, powThree (0, 200, 3.0f));
    EXPECT_EQ (0.0f, powThree (0, 200, -1.0f));
    EXPECT_EQ (0.0f, powThree (0, 200, NAN));
    EXPECT_EQ (1.0f, invertPowThree (0, 200, 500));
    EXPECT_EQ (0.0f, invertPowThree (0, 200, -5));
    EXPECT_FLOAT_EQ (0.2f + 29.8f / 8.0f, powThree (0.2f, 30.0f, 0.5f));

    EXPECT_NEAR (std::sqrt (20.0 * 20000.0), ratioToFrequencies (20, 20000, 0.5f), 0.05);
    EXPECT_NEAR (0.434, frequenciesToRatio (20, 20000, 400), 5e-4);
    EXPECT_NEAR (20.0f, ratioToFrequencies (20, 20000, -2.0f), 1e-3f);
    EXPECT_NEAR (20000.0f, ratioToFrequencies (20, 20000, 2.0f), 0.05f);
    EXPECT_NEAR (1.0f, frequenciesToRatio (20, 20000, 1e9f), 1e-6f);
    EXPECT_NEAR (0.0f, frequenciesToRatio (20, 20000, 0.0f), 1e-6f);
    for (float x = 0.0f; x <= 1.0f; x += 0.125f)
    {
        EXPECT_NEAR (x, frequenciesToRatio (20, 20000, ratioToFrequencies (20, 20000, x)), 1e-5f);
        EXPECT_NEAR (x, invertPowThree (800, 18000, powThree (800, 18000, x)), 1e-5f);
    }
    // A degenerate range gives a defined position instead of 0/0.
    EXPECT_EQ (0.0f, invertPowThree (5, 5, 5));
    EXPECT_EQ (0.0f, frequenciesToRatio (100, 100, 100));
}
