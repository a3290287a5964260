// The loss chart of one report wavelength: an inline SVG of fixed size with
// each fibre's average as a bar, the loss limit as a line and dB and fibre
// axes. Plain drawing, no script and nothing outside the report, so it
// prints as it shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// More fibres than this share bars: each bar then stands for a run of
// neighbouring fibres and shows the highest of their averages.
inline constexpr std::size_t LOSS_CHART_MAX_BARS = 280;

struct ChartFibre {
    bool measured = false;  // an average exists at this wavelength
    double average = 0.0;   // dB
    bool overLimit = false;
};

struct LossChart {
    std::uint32_t wavelength = 0;
    std::optional<double> lossLimit;  // none: the wavelength is not evaluated
    std::vector<ChartFibre> fibres;   // fibre 1 first
};

// How many neighbouring fibres one bar stands for.
std::size_t fibresPerBar(std::size_t fibres);

std::u16string lossChartSvg(const LossChart& chart);
