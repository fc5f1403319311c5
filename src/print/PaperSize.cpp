#include "print/PaperSize.h"

#include <charconv>
#include <cmath>

namespace hoxa {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kRangeSlack = 0.01;  // points
constexpr std::string_view kCustomPrefix = "Custom.";
constexpr std::uint32_t kCustomFields = DM_PAPERWIDTH | DM_PAPERLENGTH;

double Points(double value, bool inches)
{
    return inches ? value * kPointsPerInch : value * kPointsPerInch / kMillimetresPerInch;
}

// The number with up to three decimals, trailing zeros left out.
std::string Number(double value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string s(buffer, r.ptr);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

std::optional<double> PositiveNumber(std::string_view text)
{
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !(value > 0) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string_view UnitText(const CustomPaper& paper) { return paper.inches ? "in" : "mm"; }

}  // namespace

double WidthPoints(const CustomPaper& paper) { return Points(paper.width, paper.inches); }

double LengthPoints(const CustomPaper& paper) { return Points(paper.length, paper.inches); }

double FromPoints(double points, bool inches) { return points / Points(1, inches); }

bool HasCustomPaper(const DevMode& mode)
{
    return (mode.fields & kCustomFields) == kCustomFields && mode.customPaper.width > 0 &&
           mode.customPaper.length > 0;
}

void SetCustomPaper(DevMode& mode, const CustomPaper& paper)
{
    mode.fields |= kCustomFields;
    mode.customPaper = paper;
}

void ClearCustomPaper(DevMode& mode)
{
    mode.fields &= ~kCustomFields;
    mode.customPaper = CustomPaper{};
}

bool InRange(const CustomPaper& paper, const CustomPaperRange& range)
{
    const double w = WidthPoints(paper), l = LengthPoints(paper);
    return w > 0 && l > 0 && w >= range.minWidth - kRangeSlack && w <= range.maxWidth + kRangeSlack &&
           l >= range.minLength - kRangeSlack && l <= range.maxLength + kRangeSlack;
}

std::string CustomPaperText(const CustomPaper& paper)
{
    return std::string(kCustomPrefix) + Number(paper.width) + "x" + Number(paper.length) + std::string(UnitText(paper));
}

std::optional<CustomPaper> ParseCustomPaperText(std::string_view text)
{
    if (!text.starts_with(kCustomPrefix) || text.size() < kCustomPrefix.size() + 2) return std::nullopt;
    text.remove_prefix(kCustomPrefix.size());
    CustomPaper paper;
    const std::string_view unit = text.substr(text.size() - 2);
    if (unit == "in") paper.inches = true;
    else if (unit != "mm") return std::nullopt;
    text.remove_suffix(2);
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = PositiveNumber(text.substr(0, x));
    const auto length = PositiveNumber(text.substr(x + 1));
    if (!width || !length) return std::nullopt;
    paper.width = *width;
    paper.length = *length;
    return paper;
}

std::string CustomPaperCaption(const CustomPaper& paper)
{
    return "ユーザー定義 " + Number(paper.width) + " x " + Number(paper.length) + " " + std::string(UnitText(paper));
}

}  // namespace hoxa
