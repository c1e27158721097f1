#include "orbit/numbers.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace velmora::orbit {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// A text that passed the grammar, in the form std::from_chars takes (no '+'),
// with a rough decimal magnitude that tells an overflow from an underflow.
struct Checked {
    std::string chars;
    bool negative = false;
    bool allZero = true;
    long long magnitude = 0;  // decimal exponent of the first significant digit
};

std::optional<Checked> checkGrammar(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    // Blanks around the number are forgiven: a stray space must not turn a box red.
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    Checked out;
    qsizetype i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        out.negative = text[i] == u'-';
        if (out.negative)
            out.chars += '-';
        ++i;
    }

    int digits = 0;
    long long leadingPosition = 0;  // digits before the point, less leading zeros
    bool seenPoint = false;
    bool seenSignificant = false;
    long long zerosAfterPoint = 0;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            ++digits;
            if (c != u'0') {
                if (!seenSignificant && seenPoint)
                    out.magnitude = -(zerosAfterPoint + 1);
                seenSignificant = true;
                out.allZero = false;
            }
            if (!seenPoint && seenSignificant)
                ++leadingPosition;
            if (seenPoint && !seenSignificant)
                ++zerosAfterPoint;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        out.chars += char(c.unicode());
    }
    if (digits == 0)
        return std::nullopt;
    if (seenSignificant && leadingPosition > 0)
        out.magnitude = leadingPosition - 1;

    if (i < end && (text[i] == u'E' || text[i] == u'e')) {
        out.chars += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            out.chars += char(text[i].unicode());
            ++i;
        }
        long long exponent = 0;
        int exponentDigits = 0;
        for (; i < end && isDigit(text[i]); ++i) {
            ++exponentDigits;
            exponent = std::min<long long>(exponent * 10 + (text[i].unicode() - u'0'), 1'000'000);
            out.chars += char(text[i].unicode());
        }
        if (exponentDigits == 0)
            return std::nullopt;
        out.magnitude += negativeExponent ? -exponent : exponent;
    }
    if (i != end)
        return std::nullopt;
    return out;
}

template <typename T>
std::optional<T> readNumber(QStringView text)
{
    const std::optional<Checked> checked = checkGrammar(text);
    if (!checked)
        return std::nullopt;
    const char *first = checked->chars.data();
    const char *last = first + checked->chars.size();
    T value{};
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large is not a number.
        if (checked->magnitude < 0)
            return checked->negative ? -T(0) : T(0);
        return std::nullopt;
    }
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString SingleToText(float value)
{
    if (value == 0.0f || !std::isfinite(value))
        return QStringLiteral("0");

    // d.dddddde+XX: the exact value correctly rounded to 7 significant digits,
    // including the carry into the exponent (9999999.5 -> 1.000000e+07).
    std::array<char, 32> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                      std::chars_format::scientific, 6);
    const std::string sci(buf.data(), result.ptr);

    const bool negative = sci.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (std::size_t k = mantissaStart; k < ePos; ++k)
        if (sci[k] != '.')
            digits += sci[k];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = std::stoi(sci.substr(ePos + 1));

    std::string text = negative ? "-" : "";
    if (exponent >= 7 || exponent < -4) {
        text += digits.substr(0, 1);
        if (digits.size() > 1)
            text += '.' + digits.substr(1);
        const int magnitude = std::abs(exponent);
        text += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10)
            text += '0';
        text += std::to_string(magnitude);
    } else if (exponent < 0) {
        text += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    } else {
        const std::size_t integerDigits = std::size_t(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text += digits + std::string(integerDigits - digits.size(), '0');
        } else {
            text += digits.substr(0, integerDigits) + '.' + digits.substr(integerDigits);
        }
    }
    return QString::fromLatin1(text);
}

std::optional<double> readDouble(QStringView text)
{
    return readNumber<double>(text);
}

std::optional<float> readSingle(QStringView text)
{
    return readNumber<float>(text);
}

std::optional<qint32> RoundPosition(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    // Explicit ties-to-even: the result must not depend on the FPU rounding mode.
    const double lower = std::floor(x);
    const double fraction = x - lower;
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        rounded = lower + 1.0;
    if (rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(rounded);
}

std::optional<float> toSingle(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double magnitude = std::fabs(x);
    if (magnitude <= double(FLT_MAX))
        return float(x);
    // Between FLT_MAX and half an ulp above it the value still rounds to FLT_MAX;
    // from there on (ties go to even, which is infinity) it overflows.
    const double overflowAt = double(FLT_MAX) + std::ldexp(1.0, 103);
    if (magnitude >= overflowAt)
        return std::nullopt;
    return x < 0 ? -FLT_MAX : FLT_MAX;
}

} // namespace velmora::orbit
