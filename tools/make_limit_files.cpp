// Builds the limit files shipped in data/limits: threshold sets for GPON
// networks of optical budget class B+ and C+, each file with its set as set
// 1, entered the way an operator types them into the limit editor.
//
//   make_limit_files OUT_DIR
//
// The output depends on the table below alone: the same bytes on every run.
// What the figures mean and where they come from is in the user manuals
// (templates/manual_en.htm, templates/navod_cz.htm, "Shipped limit files").

#include <array>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "selection/limit_sets.h"

namespace {

// Thresholds in dBm as typed, PASS, WARNING, FAIL for 1310 nm (the ONT's
// upstream transmit power), 1490 nm (downstream power the ONT receives) and
// 1550 nm (the video overlay). PASS and WARNING are the lowest levels of
// their grades; FAIL is the upper limit (transmitter maximum, receiver
// overload).
struct ShippedSet {
    std::string_view file;
    std::u16string_view name;
    std::array<std::u16string_view, THRESHOLDS_PER_SET> thresholds;
};

constexpr ShippedSet SHIPPED_SETS[] = {
    {"gpon_b_plus.thre", u"GPON B PLUS",
     {u"1.0", u"0.5", u"5.0", u"-24.0", u"-27.0", u"-8.0", u"-6.0", u"-8.0", u"2.0"}},
    {"gpon_c_plus.thre", u"GPON C PLUS",
     {u"1.0", u"0.5", u"5.0", u"-27.0", u"-30.0", u"-8.0", u"-6.0", u"-8.0", u"2.0"}},
};

LimitSetTable tableOf(const ShippedSet& shipped) {
    LimitSetTable table{};
    // Sets 1 to 15 end as the instrument ends them; set 0 stays empty.
    for (std::uint32_t set = FIRST_EDITED_SET; set <= LAST_EDITED_SET; ++set) {
        table[set].lineEnd[0] = 0x0A;
        table[set].lineEnd[1] = 0x0D;
    }
    LimitSet& first = table[FIRST_EDITED_SET];
    storeSetName(first, shipped.name);
    for (std::size_t i = 0; i < THRESHOLDS_PER_SET; ++i) storeThreshold(first, i, shipped.thresholds[i]);
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_limit_files OUT_DIR\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const ShippedSet& shipped : SHIPPED_SETS) {
        if (!saveLimitFile(tableOf(shipped), folder / shipped.file)) {
            std::cerr << "error: cannot write " << (folder / shipped.file).string() << '\n';
            return 1;
        }
    }
    return 0;
}
