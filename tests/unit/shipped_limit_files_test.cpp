// The limit files shipped in data/limits: what the user manuals document
// them to hold, as the limit editor shows them.

#include <array>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "file_fixture.h"
#include "report/value_format.h"
#include "selection/limit_sets.h"

namespace {

namespace fs = std::filesystem;

const fs::path LIMITS = fs::path(KALIVERA_SOURCE_DIR) / "data" / "limits";

using Shown = std::array<std::u16string, THRESHOLDS_PER_SET>;

Shown shownThresholds(const LimitSet& set) {
    Shown shown;
    for (std::size_t i = 0; i < THRESHOLDS_PER_SET; ++i) {
        shown[i] = thresholdText(set.thresholds[2 * i + 1], set.thresholds[2 * i]);
    }
    return shown;
}

class ShippedLimitFiles : public FileTest {};

TEST_F(ShippedLimitFiles, HoldTheDocumentedGponSetsAsSetOne) {
    struct Case {
        const char* file;
        std::u16string_view name;
        Shown thresholds;  // PASS, WARNING, FAIL at 1310, 1490, 1550 nm
    };
    const Case cases[] = {
        {"gpon_b_plus.thre", u"GPON B PLUS",
         {u"1.0", u"0.5", u"5.0", u"-24.0", u"-27.0", u"-8.0", u"-6.0", u"-8.0", u"2.0"}},
        {"gpon_c_plus.thre", u"GPON C PLUS",
         {u"1.0", u"0.5", u"5.0", u"-27.0", u"-30.0", u"-8.0", u"-6.0", u"-8.0", u"2.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path file = LIMITS / c.file;
        ASSERT_EQ(contents(file).size(), sizeof(LimitSetTable));
        LimitSetTable table;
        ASSERT_TRUE(loadLimitFile(table, file));

        EXPECT_EQ(limitSetName(table[1]), c.name);
        EXPECT_FALSE(filterSetNameText(c.name, 0)) << "a name the editor keeps as it is";
        EXPECT_EQ(shownThresholds(table[1]), c.thresholds);
        for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
            EXPECT_EQ(table[set].lineEnd[0], 0x0A) << set;
            EXPECT_EQ(table[set].lineEnd[1], 0x0D) << set;
        }
        // The other sets are empty, so loading the file clears them too.
        EXPECT_EQ(contents(file).substr(0, sizeof(LimitSet)), std::string(sizeof(LimitSet), '\0'));
        for (std::size_t set = 2; set < LIMIT_SETS; ++set) {
            EXPECT_EQ(limitSetName(table[set]), u"") << set;
            EXPECT_EQ(std::string(std::begin(table[set].thresholds), std::end(table[set].thresholds)),
                      std::string(sizeof table[set].thresholds, '\0'))
                << set;
        }
    }
}

}  // namespace
