#include "orbit/presets.h"

#include <array>

namespace velmora::orbit {

namespace {

using M = ScrollWrite::Member;
constexpr int On = 1;
constexpr int Off = 0;

constexpr ScrollWrite kCustom[] = {
    {0, M::Max, 50000}, {0, M::Min, 6578}, {0, M::Enabled, On},
    {1, M::Max, 999}, {1, M::Min, 0}, {1, M::Enabled, On},
    {2, M::Max, 1799}, {2, M::Min, 0}, {2, M::Enabled, On},
    {3, M::Max, 3600}, {3, M::Min, 0},
    {4, M::Enabled, On},
};

constexpr ScrollWrite kLowEarth[] = {
    {0, M::Max, 16764}, {0, M::Min, 6578}, {0, M::Value, 6578}, {0, M::Enabled, On},
    {1, M::Max, 500}, {1, M::Min, 0}, {1, M::Value, 0}, {1, M::Enabled, On},
    {2, M::Max, 1799}, {2, M::Min, 0}, {2, M::Enabled, On},
    {3, M::Max, 3600}, {3, M::Min, 0},
    {4, M::Enabled, On},
};

constexpr ScrollWrite kMediumEarth[] = {
    {0, M::Max, 34870}, {0, M::Min, 16764}, {0, M::Value, 16764}, {0, M::Enabled, On},
    {1, M::Max, 100}, {1, M::Min, 0}, {1, M::Value, 0}, {1, M::Enabled, On},
    {2, M::Max, 1799}, {2, M::Min, 0}, {2, M::Enabled, On},
    {3, M::Max, 3600}, {3, M::Min, 0},
    {4, M::Enabled, On},
};

constexpr ScrollWrite kHighlyElliptical[] = {
    {0, M::Max, 27052}, {0, M::Min, 26065}, {0, M::Value, 26065}, {0, M::Enabled, On},
    {1, M::Max, 750}, {1, M::Min, 600}, {1, M::Value, 600}, {1, M::Enabled, On},
    {2, M::Max, 660}, {2, M::Min, 620}, {2, M::Value, 630}, {2, M::Enabled, On},
    {3, M::Max, 2900}, {3, M::Min, 2500}, {3, M::Value, 2700},
    {4, M::Enabled, On},
};

constexpr ScrollWrite kGeostationary[] = {
    {0, M::Max, 50000}, {0, M::Min, 6578}, {0, M::Value, 42164}, {0, M::Enabled, Off},
    {1, M::Max, 100}, {1, M::Min, 0}, {1, M::Value, 0}, {1, M::Enabled, Off},
    {2, M::Max, 1799}, {2, M::Min, 0}, {2, M::Value, 0}, {2, M::Enabled, Off},
    {3, M::Max, 3600}, {3, M::Min, 0},
    {4, M::Enabled, On},
};

constexpr ScrollWrite kGps[] = {
    {0, M::Max, 50000}, {0, M::Min, 6578}, {0, M::Value, 26560}, {0, M::Enabled, Off},
    {1, M::Max, 999}, {1, M::Min, 0}, {1, M::Value, 0}, {1, M::Enabled, Off},
    {2, M::Max, 1799}, {2, M::Min, 0}, {2, M::Value, 551}, {2, M::Enabled, Off},
    {3, M::Max, 3600}, {3, M::Min, 0},
    {4, M::Enabled, On},
};

constexpr std::array<std::span<const ScrollWrite>, 6> kPresets = {
    kCustom, kLowEarth, kMediumEarth, kHighlyElliptical, kGeostationary, kGps,
};

} // namespace

QStringList PresetNames()
{
    return {
        QStringLiteral("Custom Orbit"),
        QStringLiteral("Low Earth Orbit"),
        QStringLiteral("Medium Earth Orbit"),
        QStringLiteral("Highly Elliptical Orbit"),
        QStringLiteral("Geostationary Orbit"),
        QStringLiteral("GPS Constellation Orbit"),
    };
}

std::span<const ScrollWrite> PresetWrites(int listIndex)
{
    if (listIndex < 0 || listIndex >= int(kPresets.size()))
        return {};
    return kPresets[std::size_t(listIndex)];
}

} // namespace velmora::orbit
