#include "orbit/stateupdate.h"

#include "orbit/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace velmora::orbit {

namespace {

// Formats with "#.00": every integer digit, none before the point below 1.
QString periodText(double minutes)
{
    std::array<char, 400> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), minutes,
                                      std::chars_format::fixed, 2);
    if (result.ec != std::errc())
        return {};
    std::string text(buf.data(), result.ptr);
    if (text.starts_with("0."))
        text.erase(0, 1);
    return QString::fromLatin1(text) + QStringLiteral(" min");
}

} // namespace

QString stateCommand(const QString &timePeriodReply, const QString &epochReply,
                     const OrbitElements &el)
{
    // The host takes the axis in metres, computed in single precision like the field.
    const float metres = el.SemimajorAxis * 1000.0f;
    if (!std::isfinite(metres))
        return {};

    QString period = timePeriodReply;
    period.remove(u',');

    QString command = QStringLiteral("SetState ") + kSatellitePath
        + QStringLiteral(" Classical TwoBody ") + period + QStringLiteral(" 60 J2000 ")
        + u'"' + epochReply + u'"';
    for (const float field : {metres, el.Eccentricity, el.Inclination, el.ArgumentOfPerigee,
                              el.RAAN, el.MeanAnomaly}) {
        if (!std::isfinite(field))
            return {};
        command += u' ' + SingleToText(field);
    }
    return command;
}

std::optional<QString> orbitPeriodCaption(QStringView semimajorAxisText)
{
    const std::optional<double> km = readDouble(semimajorAxisText);
    if (!km)
        return std::nullopt;
    const double r = *km * 1000.0;
    const double mu = (1e-11 * 6.673 * 5.9742) * 1e24;
    const double ratio = std::pow(r, 3) / mu;
    if (!std::isfinite(ratio) || ratio < 0.0)
        return std::nullopt;
    // 6.28318 as written, not 2 pi: the label must match the figures users know.
    double minutes = std::sqrt(ratio) * 6.28318 / 60.0;
    if (!std::isfinite(minutes))
        return std::nullopt;
    if (minutes == 0.0)
        minutes = 0.0;  // a typed "-0" must not print a sign
    const QString text = periodText(minutes);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> satelliteColorChange(const OrbitElements &el, const QString &SatelliteColor)
{
    // Both factors and the product in single precision, as the fields are kept.
    const float perigee = (1.0f - el.Eccentricity) * el.SemimajorAxis;
    if (!std::isfinite(perigee) || !std::isfinite(el.SemimajorAxis))
        return std::nullopt;
    const bool geostationary = el.SemimajorAxis == kGeostationaryKm;
    if (perigee < kEarthRadiusKm && SatelliteColor != kColorRed)
        return kColorRed;
    if (geostationary && SatelliteColor != kColorYellow)
        return kColorYellow;
    if (perigee > kEarthRadiusKm && !geostationary && SatelliteColor != kColorWhite)
        return kColorWhite;
    return std::nullopt;
}

} // namespace velmora::orbit
