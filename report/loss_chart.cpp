#include "report/loss_chart.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/number_text.h"
#include "report/value_format.h"

namespace {

// Drawing units are CSS pixels: 660 x 240 is 175 x 64 mm, inside the
// printable width of an A4 page.
constexpr double WIDTH = 660;
constexpr double HEIGHT = 240;
constexpr double PLOT_LEFT = 56;
constexpr double PLOT_RIGHT = 600;
constexpr double PLOT_TOP = 26;
constexpr double PLOT_BOTTOM = 210;
// A few fibres still look like bars, not like blocks.
constexpr double MAX_BAR_WIDTH = 36;
// Far beyond any loss a meter measures; a forged value still stays on the page.
constexpr double VALUE_BOUND = 10000;
// The report's colours: blue of its headings, red of values over the limit.
constexpr std::u16string_view BAR_COLOUR = u"#1f4e79";
constexpr std::u16string_view OVER_COLOUR = u"#b00020";
constexpr std::u16string_view AXIS_COLOUR = u"#1b1b1b";
constexpr std::u16string_view GRID_COLOUR = u"#d5dde6";

std::u16string coordinate(double value) { return asciiToU16(formatFixed(value, 1)); }

struct Bar {
    std::size_t firstFibre;  // 0 for fibre 1
    std::size_t fibres;
    double value;
    bool overLimit;
};

double drawable(double value) { return std::clamp(value, -VALUE_BOUND, VALUE_BOUND); }

std::vector<Bar> chartBars(const std::vector<ChartFibre>& fibres) {
    std::vector<Bar> bars;
    const std::size_t perBar = fibresPerBar(fibres.size());
    for (std::size_t first = 0; first < fibres.size(); first += perBar) {
        const std::size_t end = std::min(fibres.size(), first + perBar);
        std::optional<double> highest;
        bool overLimit = false;
        for (std::size_t index = first; index < end; ++index) {
            const ChartFibre& fibre = fibres[index];
            // A forged protocol value may be no number at all.
            if (!fibre.measured || std::isnan(fibre.average)) continue;
            highest = std::max(highest.value_or(-INFINITY), drawable(fibre.average));
            overLimit = overLimit || fibre.overLimit;
        }
        if (highest) bars.push_back({first, end - first, *highest, overLimit});
    }
    return bars;
}

// 1, 2 or 5 times a power of ten, at least raw and at least minimum.
double roundStep(double raw, double minimum) {
    if (!(raw > minimum)) return minimum;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (raw <= factor * magnitude) return factor * magnitude;
    }
    return 10 * magnitude;
}

// The dB axis: whole steps from below every bar and the limit (and 0) to
// above them.
struct ValueAxis {
    double low;
    double high;
    double step;

    double y(double value) const {
        return PLOT_BOTTOM - (value - low) / (high - low) * (PLOT_BOTTOM - PLOT_TOP);
    }
};

ValueAxis valueAxis(const std::vector<Bar>& bars, const std::optional<double>& limit) {
    double low = 0;
    double high = 0;
    for (const Bar& bar : bars) {
        low = std::min(low, bar.value);
        high = std::max(high, bar.value);
    }
    if (limit && !std::isnan(*limit)) {
        low = std::min(low, drawable(*limit));
        high = std::max(high, drawable(*limit));
    }
    // Steps of at least 0.01 dB, the report's precision, so no two labels read alike.
    const double step = roundStep((high - low) / 5, 0.01);
    ValueAxis axis{std::floor(low / step) * step, std::ceil(high / step) * step, step};
    if (axis.high <= axis.low) axis.high = axis.low + step;
    return axis;
}

std::u16string line(double x1, double y1, double x2, double y2, std::u16string_view colour,
                    std::u16string_view extra = {}) {
    return u"<line x1=\"" + coordinate(x1) + u"\" y1=\"" + coordinate(y1) + u"\" x2=\"" +
           coordinate(x2) + u"\" y2=\"" + coordinate(y2) + u"\" stroke=\"" +
           std::u16string(colour) + u"\"" + std::u16string(extra) + u"/>";
}

std::u16string label(double x, double y, std::u16string_view anchor, std::u16string_view text,
                     std::u16string_view extra = {}) {
    return u"<text x=\"" + coordinate(x) + u"\" y=\"" + coordinate(y) + u"\" text-anchor=\"" +
           std::u16string(anchor) + u"\"" + std::u16string(extra) + u">" + std::u16string(text) +
           u"</text>";
}

std::u16string valueGrid(const ValueAxis& axis) {
    std::u16string grid;
    const long steps = std::lround((axis.high - axis.low) / axis.step);
    for (long k = 0; k <= steps; ++k) {
        const double value = axis.low + k * axis.step;
        const double y = axis.y(value);
        grid += line(PLOT_LEFT, y, PLOT_RIGHT, y, GRID_COLOUR,
                     u" class=\"grid\" stroke-width=\"0.5\"");
        grid += label(PLOT_LEFT - 6, y + 4, u"end", twoDecimalText(value), u" class=\"value\"");
    }
    grid += label(PLOT_LEFT - 6, PLOT_TOP - 12, u"end", u"dB");
    return grid;
}

// Fibre 1 and every multiple of a round step, about ten labels at most.
std::u16string fibreAxis(std::size_t fibres) {
    const double slot = (PLOT_RIGHT - PLOT_LEFT) / static_cast<double>(fibres);
    const auto step = static_cast<std::size_t>(roundStep(static_cast<double>(fibres) / 10, 1));
    std::u16string axis;
    auto tick = [&](std::size_t fibre) {
        const double x = PLOT_LEFT + (static_cast<double>(fibre) - 0.5) * slot;
        axis += line(x, PLOT_BOTTOM, x, PLOT_BOTTOM + 4, AXIS_COLOUR);
        axis += label(x, PLOT_BOTTOM + 16, u"middle", integerText(fibre), u" class=\"fibre\"");
    };
    if (step > 1) tick(1);
    for (std::size_t fibre = step; fibre <= fibres; fibre += step) tick(fibre);
    return axis;
}

std::u16string barRects(const std::vector<Bar>& bars, std::size_t fibres, const ValueAxis& axis) {
    const double slot = (PLOT_RIGHT - PLOT_LEFT) / static_cast<double>(fibres);
    const double zero = axis.y(0);
    std::u16string rects;
    for (const Bar& bar : bars) {
        const double span = static_cast<double>(bar.fibres) * slot;
        const double width = std::min(0.7 * span, MAX_BAR_WIDTH);
        const double top = std::min(zero, axis.y(bar.value));
        rects += bar.overLimit ? u"<rect class=\"bar over\" x=\"" : u"<rect class=\"bar\" x=\"";
        rects += coordinate(PLOT_LEFT + static_cast<double>(bar.firstFibre) * slot + (span - width) / 2) +
                 u"\" y=\"" + coordinate(top) + u"\" width=\"" + coordinate(width) +
                 u"\" height=\"" + coordinate(std::fabs(axis.y(bar.value) - zero)) +
                 u"\" fill=\"" + std::u16string(bar.overLimit ? OVER_COLOUR : BAR_COLOUR) +
                 u"\"/>";
    }
    return rects;
}

std::u16string limitLine(double limit, const ValueAxis& axis) {
    const double y = axis.y(drawable(limit));
    return line(PLOT_LEFT, y, PLOT_RIGHT, y, OVER_COLOUR,
                u" class=\"limit\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"") +
           label(PLOT_RIGHT + 4, y + 4, u"start", twoDecimalText(limit) + u" dB",
                 u" fill=\"" + std::u16string(OVER_COLOUR) + u"\"");
}

}  // namespace

std::size_t fibresPerBar(std::size_t fibres) {
    return std::max<std::size_t>(1, (fibres + LOSS_CHART_MAX_BARS - 1) / LOSS_CHART_MAX_BARS);
}

std::u16string lossChartSvg(const LossChart& chart) {
    if (chart.fibres.empty()) return {};
    const std::vector<Bar> bars = chartBars(chart.fibres);
    const bool limitDrawn = chart.lossLimit && !std::isnan(*chart.lossLimit);
    const ValueAxis axis = valueAxis(bars, chart.lossLimit);
    const double zero = axis.y(0);

    std::u16string svg =
        u"<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"losschart\" width=\"" +
        coordinate(WIDTH) + u"\" height=\"" + coordinate(HEIGHT) + u"\" viewBox=\"0 0 " +
        coordinate(WIDTH) + u" " + coordinate(HEIGHT) +
        u"\" font-family=\"Segoe UI, Arial, sans-serif\" font-size=\"11\" fill=\"" +
        std::u16string(AXIS_COLOUR) + u"\">";
    svg += label((PLOT_LEFT + PLOT_RIGHT) / 2, PLOT_TOP - 12, u"middle",
                 integerText(chart.wavelength) + u" nm", u" font-weight=\"bold\"");
    svg += valueGrid(axis);
    svg += barRects(bars, chart.fibres.size(), axis);
    svg += line(PLOT_LEFT, PLOT_TOP, PLOT_LEFT, PLOT_BOTTOM, AXIS_COLOUR);
    svg += line(PLOT_LEFT, zero, PLOT_RIGHT, zero, AXIS_COLOUR);
    svg += fibreAxis(chart.fibres.size());
    if (limitDrawn) svg += limitLine(*chart.lossLimit, axis);
    svg += u"</svg>";
    return svg;
}
