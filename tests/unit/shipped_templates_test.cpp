// The shipped report templates on the sample protocols: the summary and
// chart markers stand where a customer expects them and add nothing but
// their own output, so a template without them reports exactly as before.

#include <string>
#include <vector>

#include "core/protocol_file.h"
#include "language/language_table.h"
#include "report_fixture.h"
#include "svg_reading.h"

namespace {

namespace fs = std::filesystem;

const fs::path DATA = fs::path(KALIVERA_SOURCE_DIR) / "data";

// A marker and where it stands: before one marker and after another (empty: anywhere).
struct Placement {
    std::u16string marker;
    std::u16string before;
    std::u16string after;
};

struct ShippedTemplate {
    const char* sample;
    const char* language;
    const char* name;
    std::vector<Placement> markers;
};

// The summary above the first table of values, the chart behind the value lines.
const std::vector<Placement> LOSS_MARKERS = {{u"**LOSSSUMMARY**", u"**ADDWAVEBEG1**", u""},
                                             {u"**LOSSCHART**", u"", u"**VALLINEEND**"}};
const std::vector<Placement> ZD615_MARKERS = {
    {u"**ZDSUMMARY**", u"**ZD615_VAL_TABLE_TOP_BEG**", u""}};

class ShippedTemplatesTest : public ReportFixture {
protected:
    // The report of template text for the store, UTF-16 units as written.
    std::u16string reportOfTemplate(std::u16string_view templateText) {
        writeTemplate(templateText, "template.htm");
        EXPECT_EQ(generateReportTo(*store, folder / "template.htm", folder / "report.html"),
                  ReportStatus::Written);
        return readUtf16(folder / "report.html");
    }
};

TEST_F(ShippedTemplatesTest, SummaryAndChartAddOnlyTheirOwnOutput) {
    const std::vector<ShippedTemplate> templates = {
        {"lossmeter.opr", "english.lng", "protocol_en.htm", LOSS_MARKERS},
        {"lossmeter.opr", "czech.lng", "protokol_cz.htm", LOSS_MARKERS},
        {"zd615.opr", "english.lng", "zd615_en.htm", ZD615_MARKERS},
        {"zd615.opr", "czech.lng", "zd615_cz.htm", ZD615_MARKERS},
    };
    for (const ShippedTemplate& shipped : templates) {
        SCOPED_TRACE(shipped.name);
        ASSERT_TRUE(readProtocolFile(*store, DATA / "samples" / shipped.sample));
        ASSERT_TRUE(loadLanguageFile(store->language, DATA / shipped.language));
        const std::u16string templateText = readUtf16(DATA / shipped.name);
        const std::u16string report = reportOfTemplate(templateText);

        for (const auto& [marker, before, after] : shipped.markers) {
            SCOPED_TRACE(u16ToUtf8(marker));
            const std::size_t at = templateText.find(marker);
            ASSERT_NE(at, std::u16string::npos);
            if (!before.empty()) {
                EXPECT_LT(at, templateText.find(before));
            }
            if (!after.empty()) {
                EXPECT_GT(at, templateText.find(after));
            }

            std::u16string without = templateText;
            without.erase(at, marker.size());
            std::u16string expected = reportOfTemplate(without);
            const std::u16string markerOutput = reportOfTemplate(marker);
            EXPECT_FALSE(markerOutput.empty());
            expected.insert(reportOfTemplate(templateText.substr(0, at)).size(), markerOutput);
            EXPECT_TRUE(report == expected) << "the marker changed more than its own place";
        }
    }
}

TEST_F(ShippedTemplatesTest, LossReportHasOneChartPerReportWavelength) {
    ASSERT_TRUE(readProtocolFile(*store, DATA / "samples" / "lossmeter.opr"));
    ASSERT_TRUE(loadLanguageFile(store->language, DATA / "english.lng"));
    const std::vector<Svg> charts =
        readSvgs(u16ToUtf8(reportOfTemplate(readUtf16(DATA / "protocol_en.htm"))));

    std::vector<std::string> wavelengths;
    const WavelengthSummary& summary = store->wavelengthSummary;
    for (std::size_t index = 0; index < summary.wavelengthCount; ++index) {
        if (summary.entries[index].maxOrder == 0) continue;
        wavelengths.push_back(std::to_string(summary.entries[index].wavelength) + " nm");
    }
    ASSERT_FALSE(wavelengths.empty());
    ASSERT_EQ(charts.size(), wavelengths.size());
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
        EXPECT_TRUE(charts[w].hasText(wavelengths[w])) << wavelengths[w];
        EXPECT_FALSE(charts[w].bars().empty());
    }
}

}  // namespace
