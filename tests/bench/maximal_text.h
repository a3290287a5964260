// The largest instrument text the program takes (172,095 bytes, 8192
// records) of either layout, for the benchmarks natively and under Wine.
#pragma once

#include <cstdio>
#include <string>

#include "core/records.h"
#include "instrument/instrument_text.h"

// 8192 data lines padded with line ends to the largest accepted text.
inline std::string maximalText(bool zd615) {
    std::string text = zd615 ? "ZD615 71234\r\n" : "OLM55 0042137\r\n";
    char line[64];
    for (std::size_t i = 0; i < MAX_RECORDS; ++i) {
        const unsigned fraction = static_cast<unsigned>(i % 100);
        if (zd615) {
            // Short lines: 8192 full ZD615 lines would not fit the buffer.
            std::snprintf(line, sizeof line, "%zu %zu %zu -%u -%u ---- dB\n", i % 4 + 1,
                          i / 4 % 8 + 1, i % 9, 18 + fraction % 9, 5 + fraction % 5);
        } else {
            std::snprintf(line, sizeof line, "%zu %zu %u -%u.%02u 0\r\n", i / 256 % 2 + 1, i % 256,
                          i % 2 ? 1550u : 1310u, 2 + fraction % 3, fraction);
        }
        text += line;
    }
    text.resize(MAX_INSTRUMENT_TEXT_LENGTH, '\n');  // never cuts: the lines fit
    return text;
}
