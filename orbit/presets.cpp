#include "orbit/presets.h"

#include <array>

namespace velmora::orbit {

namespace {

using M = ScrollWrite::Member;
// Short row names, so that the tables keep one bar a line.
constexpr Row Axis = Row::SemimajorAxis;
constexpr Row Ecc = Row::Eccentricity;
constexpr Row Incl = Row::Inclination;
constexpr Row Perigee = Row::ArgumentOfPerigee;
constexpr Row Node = Row::RAAN;
constexpr int On = 1;
constexpr int Off = 0;

constexpr ScrollWrite kCustom[] = {
    {Axis, M::Max, 50000}, {Axis, M::Min, 6578}, {Axis, M::Enabled, On},
    {Ecc, M::Max, 999}, {Ecc, M::Min, 0}, {Ecc, M::Enabled, On},
    {Incl, M::Max, 1799}, {Incl, M::Min, 0}, {Incl, M::Enabled, On},
    {Perigee, M::Max, 3600}, {Perigee, M::Min, 0},
    {Node, M::Enabled, On},
};

constexpr ScrollWrite kLowEarth[] = {
    {Axis, M::Max, 16764}, {Axis, M::Min, 6578}, {Axis, M::Value, 6578}, {Axis, M::Enabled, On},
    {Ecc, M::Max, 500}, {Ecc, M::Min, 0}, {Ecc, M::Value, 0}, {Ecc, M::Enabled, On},
    {Incl, M::Max, 1799}, {Incl, M::Min, 0}, {Incl, M::Enabled, On},
    {Perigee, M::Max, 3600}, {Perigee, M::Min, 0},
    {Node, M::Enabled, On},
};

constexpr ScrollWrite kMediumEarth[] = {
    {Axis, M::Max, 34870}, {Axis, M::Min, 16764}, {Axis, M::Value, 16764}, {Axis, M::Enabled, On},
    {Ecc, M::Max, 100}, {Ecc, M::Min, 0}, {Ecc, M::Value, 0}, {Ecc, M::Enabled, On},
    {Incl, M::Max, 1799}, {Incl, M::Min, 0}, {Incl, M::Enabled, On},
    {Perigee, M::Max, 3600}, {Perigee, M::Min, 0},
    {Node, M::Enabled, On},
};

constexpr ScrollWrite kHighlyElliptical[] = {
    {Axis, M::Max, 27052}, {Axis, M::Min, 26065}, {Axis, M::Value, 26065}, {Axis, M::Enabled, On},
    {Ecc, M::Max, 750}, {Ecc, M::Min, 600}, {Ecc, M::Value, 600}, {Ecc, M::Enabled, On},
    {Incl, M::Max, 660}, {Incl, M::Min, 620}, {Incl, M::Value, 630}, {Incl, M::Enabled, On},
    {Perigee, M::Max, 2900}, {Perigee, M::Min, 2500}, {Perigee, M::Value, 2700},
    {Node, M::Enabled, On},
};

constexpr ScrollWrite kGeostationary[] = {
    {Axis, M::Max, 50000}, {Axis, M::Min, 6578}, {Axis, M::Value, 42164}, {Axis, M::Enabled, Off},
    {Ecc, M::Max, 100}, {Ecc, M::Min, 0}, {Ecc, M::Value, 0}, {Ecc, M::Enabled, Off},
    {Incl, M::Max, 1799}, {Incl, M::Min, 0}, {Incl, M::Value, 0}, {Incl, M::Enabled, Off},
    {Perigee, M::Max, 3600}, {Perigee, M::Min, 0},
    {Node, M::Enabled, On},
};

constexpr ScrollWrite kGps[] = {
    {Axis, M::Max, 50000}, {Axis, M::Min, 6578}, {Axis, M::Value, 26560}, {Axis, M::Enabled, Off},
    {Ecc, M::Max, 999}, {Ecc, M::Min, 0}, {Ecc, M::Value, 0}, {Ecc, M::Enabled, Off},
    {Incl, M::Max, 1799}, {Incl, M::Min, 0}, {Incl, M::Value, 551}, {Incl, M::Enabled, Off},
    {Perigee, M::Max, 3600}, {Perigee, M::Min, 0},
    {Node, M::Enabled, On},
};

constexpr std::array<std::span<const ScrollWrite>, 6> kPresets = {
    kCustom, kLowEarth, kMediumEarth, kHighlyElliptical, kGeostationary, kGps,
};

} // namespace

QStringList presetNames()
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

std::span<const ScrollWrite> presetWrites(int listIndex)
{
    if (listIndex < 0 || listIndex >= int(kPresets.size()))
        return {};
    return kPresets[std::size_t(listIndex)];
}

} // namespace velmora::orbit
