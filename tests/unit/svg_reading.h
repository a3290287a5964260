// Reads back the loss charts of a report: their elements and attributes,
// and the dB and fibre scales their own axis labels give, so tests check
// what a reader of the chart would see.
#pragma once

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct SvgElement {
    std::string tag;
    std::map<std::string, std::string> attributes;
    std::string text;  // of a <text> element

    std::string attribute(const std::string& name) const {
        const auto found = attributes.find(name);
        return found == attributes.end() ? std::string() : found->second;
    }
    double number(const std::string& name) const { return std::stod(attribute(name)); }
    bool hasClass(const std::string& name) const {
        std::istringstream classes(attribute("class"));
        for (std::string word; classes >> word;) {
            if (word == name) return true;
        }
        return false;
    }
};

struct Svg {
    std::string source;
    std::map<std::string, std::string> attributes;  // of the <svg> element
    std::vector<SvgElement> elements;

    std::vector<SvgElement> withClass(const std::string& name) const {
        std::vector<SvgElement> found;
        for (const SvgElement& element : elements) {
            if (element.hasClass(name)) found.push_back(element);
        }
        return found;
    }
    std::vector<SvgElement> bars() const { return withClass("bar"); }
    bool hasText(const std::string& text) const {
        return std::any_of(elements.begin(), elements.end(),
                           [&](const SvgElement& e) { return e.tag == "text" && e.text == text; });
    }
};

inline std::map<std::string, std::string> svgAttributes(const std::string& text) {
    static const std::regex attribute(R"re(([\w:-]+)="([^"]*)")re");
    std::map<std::string, std::string> attributes;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute);
         it != std::sregex_iterator(); ++it) {
        attributes[(*it)[1]] = (*it)[2];
    }
    return attributes;
}

// Every <svg>…</svg> of a report in UTF-8, in order, with its rect, line
// and text elements. Scanned by hand: a regular expression over a whole
// chart recurses too deep in some standard libraries.
inline std::vector<Svg> readSvgs(const std::string& report) {
    std::vector<Svg> svgs;
    for (std::size_t start = report.find("<svg"); start != std::string::npos;
         start = report.find("<svg", start + 1)) {
        const std::size_t open = report.find('>', start);
        const std::size_t close = report.find("</svg>", start);
        if (open == std::string::npos || close == std::string::npos) break;
        Svg svg{report.substr(start, close + 6 - start),
                svgAttributes(report.substr(start, open - start)), {}};
        for (std::size_t at = report.find('<', open + 1); at < close;
             at = report.find('<', at + 1)) {
            const std::size_t end = report.find('>', at);
            const std::string tag = report.substr(at + 1, report.find_first_of(" />", at) - at - 1);
            if (tag != "rect" && tag != "line" && tag != "text") continue;
            SvgElement element{tag, svgAttributes(report.substr(at, end - at)), {}};
            if (tag == "text") element.text = report.substr(end + 1, report.find('<', end) - end - 1);
            svg.elements.push_back(element);
        }
        svgs.push_back(svg);
    }
    return svgs;
}

// dB -> drawing y, from the first and last grid lines and the values their
// labels print (each grid line is followed by its label).
struct ValueScale {
    double y0 = 0;
    double unitsPerDb = 0;

    double db(double y) const { return (y0 - y) / unitsPerDb; }
    double y(double db) const { return y0 - db * unitsPerDb; }
    // What the drawing can tell apart: coordinates are printed to 0.1 unit.
    double resolution() const { return 0.1 / unitsPerDb; }
};

inline ValueScale valueScaleOf(const Svg& svg) {
    std::vector<std::pair<double, double>> ticks;  // (dB, y)
    for (std::size_t i = 0; i + 1 < svg.elements.size(); ++i) {
        if (!svg.elements[i].hasClass("grid")) continue;
        const SvgElement& label = svg.elements[i + 1];
        EXPECT_TRUE(label.hasClass("value"));
        ticks.emplace_back(std::stod(label.text), svg.elements[i].number("y1"));
    }
    EXPECT_GE(ticks.size(), 2u);
    if (ticks.size() < 2) return {};
    const auto [lowDb, lowY] = ticks.front();
    const auto [highDb, highY] = ticks.back();
    const double unitsPerDb = (lowY - highY) / (highDb - lowDb);
    return {lowY + lowDb * unitsPerDb, unitsPerDb};
}

// The dB value a bar shows: its end away from the zero line.
inline double barValue(const SvgElement& bar, const ValueScale& scale) {
    const double top = bar.number("y");
    const double bottom = top + bar.number("height");
    const double zero = scale.y(0);
    return std::fabs(top - zero) > std::fabs(bottom - zero) ? scale.db(top) : scale.db(bottom);
}

// Fibre number -> drawing x of its slot centre, from the fibre labels.
struct FibreScale {
    double x1 = 0;       // centre of fibre 1
    double perFibre = 0;

    double fibreAt(double x) const { return 1 + (x - x1) / perFibre; }
};

inline FibreScale fibreScaleOf(const Svg& svg) {
    const std::vector<SvgElement> labels = svg.withClass("fibre");
    EXPECT_GE(labels.size(), 2u);
    if (labels.size() < 2) return {};
    const double firstFibre = std::stod(labels.front().text);
    const double lastFibre = std::stod(labels.back().text);
    const double perFibre =
        (labels.back().number("x") - labels.front().number("x")) / (lastFibre - firstFibre);
    return {labels.front().number("x") - (firstFibre - 1) * perFibre, perFibre};
}

inline double barCentre(const SvgElement& bar) { return bar.number("x") + bar.number("width") / 2; }
