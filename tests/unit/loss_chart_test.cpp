#include "report/loss_chart.h"

#include <cmath>
#include <limits>
#include <set>

#include "core/number_text.h"
#include "svg_reading.h"

namespace {

struct ChartCase {
    const char* what;
    std::vector<ChartFibre> fibres;
    std::optional<double> lossLimit;
};

ChartFibre measured(double average, bool overLimit = false) { return {true, average, overLimit}; }

// Whatever the values, the drawing stays a drawing: numbers only, inside
// its own frame, with a readable dB axis.
TEST(LossChartTest, EveryChartStaysInsideItsFrameWithAReadableAxis) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ChartCase> cases = {
        {"one fibre", {measured(1.25)}, 2.0},
        {"all zero, no limit", {measured(0.0), measured(-0.0), measured(0.0)}, std::nullopt},
        {"negative averages below the zero line", {measured(-1.5), measured(-0.3)}, 1.0},
        {"a limit far above the values", {measured(0.5), measured(0.6)}, 60.0},
        {"nothing measured", {ChartFibre{}, ChartFibre{}}, 1.0},
        {"forged values", {measured(nan), measured(1e300, true), measured(-1e300), measured(2.0, true)},
         1e308},
        {"a limit that is no number", {measured(0.5)}, nan},
    };
    for (const ChartCase& chartCase : cases) {
        SCOPED_TRACE(chartCase.what);
        const std::vector<Svg> svgs =
            readSvgs(u16ToUtf8(lossChartSvg({1310, chartCase.lossLimit, chartCase.fibres})));
        ASSERT_EQ(svgs.size(), 1u);
        const Svg& svg = svgs[0];
        const double width = std::stod(svg.attributes.at("width"));
        const double height = std::stod(svg.attributes.at("height"));
        for (const SvgElement& element : svg.elements) {
            for (const auto& [name, value] : element.attributes) {
                if (name != "x" && name != "y" && name != "x1" && name != "x2" && name != "y1" &&
                    name != "y2" && name != "width" && name != "height") {
                    continue;
                }
                const double number = std::stod(value);
                ASSERT_TRUE(std::isfinite(number)) << name << "=" << value;
                const double bound = (name[0] == 'x' || name == "width") ? width : height;
                EXPECT_GE(number, 0) << name;
                EXPECT_LE(number, bound) << name;
            }
        }
        std::set<std::string> labels;
        for (const SvgElement& label : svg.withClass("value")) labels.insert(label.text);
        EXPECT_GE(labels.size(), 2u);
        EXPECT_EQ(labels.size(), svg.withClass("value").size()) << "two labels read alike";

        std::size_t drawable = 0;
        const ValueScale dB = valueScaleOf(svg);
        std::vector<SvgElement> bars = svg.bars();
        std::sort(bars.begin(), bars.end(), [](const SvgElement& a, const SvgElement& b) {
            return a.number("x") < b.number("x");
        });
        for (const ChartFibre& fibre : chartCase.fibres) {
            if (!fibre.measured || std::isnan(fibre.average)) continue;
            ASSERT_LT(drawable, bars.size());
            // Values beyond what a loss meter measures are drawn at the frame.
            if (std::fabs(fibre.average) < 1000) {
                EXPECT_NEAR(barValue(bars[drawable], dB), fibre.average, dB.resolution());
            }
            EXPECT_EQ(bars[drawable].hasClass("over"), fibre.overLimit);
            ++drawable;
        }
        EXPECT_EQ(bars.size(), drawable);
        const bool limitDrawn = chartCase.lossLimit && !std::isnan(*chartCase.lossLimit);
        EXPECT_EQ(svg.withClass("limit").size(), limitDrawn ? 1u : 0u);
    }
}

TEST(LossChartTest, NoFibresGiveNoChart) {
    EXPECT_TRUE(lossChartSvg({1310, 1.0, {}}).empty());
}

TEST(LossChartTest, FibresShareBarsOnlyBeyondTheBarLimit) {
    for (const std::size_t fibres : {std::size_t{1}, LOSS_CHART_MAX_BARS, LOSS_CHART_MAX_BARS + 1,
                                     std::size_t{8192}}) {
        SCOPED_TRACE(fibres);
        const std::size_t perBar = fibresPerBar(fibres);
        EXPECT_LE((fibres + perBar - 1) / perBar, LOSS_CHART_MAX_BARS);
        EXPECT_EQ(perBar == 1, fibres <= LOSS_CHART_MAX_BARS);
        const std::vector<Svg> svgs = readSvgs(
            u16ToUtf8(lossChartSvg({1550, 3.0, std::vector<ChartFibre>(fibres, measured(1.0))})));
        ASSERT_EQ(svgs.size(), 1u);
        EXPECT_EQ(svgs[0].bars().size(), (fibres + perBar - 1) / perBar);
    }
}

}  // namespace
