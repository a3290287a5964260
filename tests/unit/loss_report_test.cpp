#include "report/loss_report.h"

#include <fstream>
#include <limits>
#include <optional>
#include <regex>
#include <sstream>

#include "report/loss_chart.h"
#include "report/value_format.h"
#include "report_fixture.h"
#include "svg_reading.h"

namespace {

// A small template using every loss block, one piece per line.
constexpr std::u16string_view HEADS =
    u"<tr>**ADDWAVEBEG1**<th>**TWAVELEN** nm</th>**ADDWAVEEND1**</tr>\n"
    u"<tr>**ADDWAVEBEG2**<th>AB|BA|AVE</th>**ADDWAVEEND2**</tr>\n";
constexpr std::u16string_view VALUE_CELL =
    u"**ADDWAVEBEG3**<td>**VALAB**|**VALBA**|**VALAVE**</td>**ADDWAVEEND3**";
constexpr std::u16string_view VALUE_LINES =
    u"**VALLINEBEG**<tr><td>**THREAD**</td>**ADDPARAM**<td>**REMARK**</td></tr>\n**VALLINEEND**";
constexpr std::u16string_view STATISTICS =
    u"**STATPARAMBEG**<td>**PARAB**|**PARBA**|**PARAVE**</td>**STATPARAMEND**"
    u"**STATLINEBEG1**<tr>mean**ADDSTATPARAM1**</tr>\n**STATLINEEND1**"
    u"**STATLINEBEG2**<tr>max**ADDSTATPARAM2**</tr>\n**STATLINEEND2**"
    u"**STATLINEBEG3**<tr>min**ADDSTATPARAM3**</tr>\n**STATLINEEND3**";
constexpr std::u16string_view LOSS_LINES =
    u"**LOSSLINEBEG**<p>**SLWAVELEN**/**LWAVELEN**: **LOSS** dB/km, **LOSSLIMIT** dB</p>\n"
    u"**LOSSLINEEND**";

std::u16string operator+(std::u16string_view left, std::u16string_view right) {
    return std::u16string(left) + std::u16string(right);
}

// Losses of one fibre at one wavelength, either direction possibly missing.
struct FibreLosses {
    std::optional<double> aToB;
    std::optional<double> bToA;

    std::optional<double> average() const {
        if (aToB && bToA) return (*aToB + *bToA) / 2;
        if (aToB) return aToB;
        return bToA;
    }
};

// The colour the report's style sheet gives values over their limit.
std::string overLimitColour() {
    std::ifstream css(std::string(KALIVERA_SOURCE_DIR) + "/templates/report.css");
    std::stringstream text;
    text << css.rdbuf();
    std::smatch match;
    const std::string sheet = text.str();
    EXPECT_TRUE(std::regex_search(sheet, match, std::regex(R"(\.over\s*\{\s*color:\s*(#[0-9a-fA-F]{6}))")));
    return match.size() > 1 ? match[1].str() : std::string("no colour");
}

class LossReportTest : public ReportFixture {
protected:
    void setForm(std::u16string_view length, std::u16string_view splices,
                 std::u16string_view spliceLimit, std::u16string_view connectors,
                 std::u16string_view connectorLimit) {
        ProtocolForm& form = store->protocolForm;
        setSlotText(form.fibreLength, length);
        setSlotText(form.spliceCount, splices);
        setSlotText(form.spliceLimit, spliceLimit);
        setSlotText(form.connectorCount, connectors);
        setSlotText(form.connectorLimit, connectorLimit);
        setSlotText(form.splitterCount, u"0");
        setSlotText(form.splitterLimit, u"0");
    }
    void setDbPerKmOf(std::uint32_t wavelength, double dbPerKm) {
        registerWavelength(*store, wavelength);
        setDbPerKm(*store, wavelength, dbPerKm);
    }
    void addReading(double value, std::uint32_t wavelength, std::uint32_t state,
                    std::uint32_t order) {
        const std::uint32_t index = store->recordCount++;
        store->readings[index] = ReadingRecord{value, index, 0, wavelength, order, state, 0};
    }
    // Fibre k of the list is fibre number k + 1.
    void addFibres(std::uint32_t wavelength, const std::vector<FibreLosses>& fibres) {
        for (std::uint32_t index = 0; index < fibres.size(); ++index) {
            if (fibres[index].aToB) addReading(*fibres[index].aToB, wavelength, STATE_A_TO_B, index + 1);
            if (fibres[index].bToA) addReading(*fibres[index].bToA, wavelength, STATE_B_TO_A, index + 1);
        }
    }
    std::optional<double> lossLimitOf(std::uint32_t wavelength) const {
        const double dbPerKm = findDbPerKm(*store, wavelength);
        if (dbPerKm == NOT_SET) return std::nullopt;
        return lossLimit(*store, dbPerKm);
    }
    // The report of the template, after computeBudget, so limits can be read.
    std::string reportText(std::u16string_view templateText) {
        return u16ToUtf8(reportOf(templateText));
    }
};

// 1310 nm is evaluated against a limit of 0.35 x 2 + 1 x 0.1 + 2 x 0.5 = 1.8 dB;
// 1550 nm has no specific attenuation. Fibre 3 has no reading at 1310 nm.
const std::vector<FibreLosses> FIBRES_1310 = {
    {1.2, 1.4}, {2.5, std::nullopt}, {}, {1.8, 1.8}, {0.3, 3.9}, {std::nullopt, -0.2}};
const std::vector<FibreLosses> FIBRES_1550 = {{0.9, 1.1}, {0.7, std::nullopt}};

class LossChartAndSummaryTest : public LossReportTest {
protected:
    void SetUp() override {
        LossReportTest::SetUp();
        setForm(u"2000", u"1", u"0.1", u"2", u"0.5");
        setDbPerKmOf(1310, 0.35);
        registerWavelength(*store, 1550);
        addFibres(1550, FIBRES_1550);
        addFibres(1310, FIBRES_1310);
    }
    // The fibres as the report lists them: every number up to the highest.
    static std::vector<FibreLosses> allFibres(std::vector<FibreLosses> fibres) {
        fibres.resize(std::max(FIBRES_1310.size(), FIBRES_1550.size()));
        return fibres;
    }
};

TEST_F(LossReportTest, WorkedExample) {
    setForm(u"2500", u"2", u"0.1", u"4", u"0.5");
    setDbPerKmOf(1310, 0.36);
    setDbPerKmOf(1550, 0.22);
    addReading(2.90, 1310, STATE_A_TO_B, 1);
    addReading(3.00, 1310, STATE_B_TO_A, 1);
    addReading(2.80, 1550, STATE_A_TO_B, 1);
    addReading(9.99, 1490, STATE_LOADED, 0);  // not selected: no column

    const std::u16string report =
        reportOf(HEADS + VALUE_CELL + VALUE_LINES + STATISTICS + LOSS_LINES);

    const std::u16string cell1310 = u"<td>2.90|3.00|2.95</td>";
    const std::u16string cell1550 = u"<td>2.80|---|2.80</td>";
    const std::u16string expected =
        u"<tr><th>1310 nm</th><th>1550 nm</th></tr>\n"
        u"<tr><th>AB|BA|AVE</th><th>AB|BA|AVE</th></tr>\n"
        u"<tr><td>1</td>" + cell1310 + u"<td>2.80|---|<B>2.80</B></td><td>" + text(96) +
        u"</td></tr>\n"
        u"<tr>mean" + cell1310 + cell1550 + u"</tr>\n"
        u"<tr>max" + cell1310 + cell1550 + u"</tr>\n"
        u"<tr>min" + cell1310 + cell1550 + u"</tr>\n"
        u"<p>1310/1310: 0.36 dB/km, 3.10 dB</p>\n"
        u"<p>1550/1550: 0.22 dB/km, 2.75 dB</p>\n";
    EXPECT_EQ(report, expected);
    EXPECT_DOUBLE_EQ(store->elementLossBudget, 2.2);
}

TEST_F(LossReportTest, VerdictsAndRemarksPerFibre) {
    // Loss limit at 1310 nm: 0.5 dB/km x 2 km = exactly 1.0 dB; 1625 nm has
    // no specific attenuation and is never evaluated.
    setForm(u"2000", u"0", u"0", u"0", u"0");
    setDbPerKmOf(1310, 0.5);
    registerWavelength(*store, 1625);
    addReading(1.00, 1310, STATE_A_TO_B, 1);  // equal to the limit: within
    addReading(5.00, 1625, STATE_A_TO_B, 1);
    addReading(9.00, 1625, STATE_A_TO_B, 2);  // fibre 2: nothing evaluated
    addReading(7.00, 1625, STATE_B_TO_A, 2);
    addReading(1.50, 1310, STATE_B_TO_A, 3);  // fibre 3: over the limit
    addReading(4.00, 1310, STATE_B_TO_A, 3);  // a later duplicate is not used

    const std::u16string report = reportOf(VALUE_CELL + VALUE_LINES + LOSS_LINES);

    const std::u16string expected =
        u"<tr><td>1</td><td>1.00|---|1.00</td><td>5.00|---|5.00</td><td>" + text(97) +
        u"</td></tr>\n"
        u"<tr><td>2</td><td>---|---|---</td><td>9.00|7.00|8.00</td><td>" + text(98) +
        u"</td></tr>\n"
        u"<tr><td>3</td><td>---|1.50|<B>1.50</B></td><td>---|---|---</td><td>" + text(96) +
        u"</td></tr>\n"
        u"<p>1310/1310: 0.50 dB/km, 1.00 dB</p>\n";
    EXPECT_EQ(report, expected);
}

TEST_F(LossReportTest, StatisticsBeforeValueLinesShowNoValues) {
    setForm(u"1000", u"0", u"0", u"0", u"0");
    addReading(2.00, 1310, STATE_A_TO_B, 1);
    addReading(4.00, 1310, STATE_A_TO_B, 2);
    addReading(3.00, 1310, STATE_B_TO_A, 2);

    const std::u16string report = reportOf(STATISTICS + VALUE_CELL + VALUE_LINES + STATISTICS);

    const std::u16string none = u"<td>---|---|---</td>";
    const std::u16string expected =
        u"<tr>mean" + none + u"</tr>\n<tr>max" + none + u"</tr>\n<tr>min" + none + u"</tr>\n"
        u"<tr><td>1</td><td>2.00|---|2.00</td><td>" + text(98) + u"</td></tr>\n"
        u"<tr><td>2</td><td>4.00|3.00|3.50</td><td>" + text(98) + u"</td></tr>\n"
        u"<tr>mean<td>3.00|3.00|2.75</td></tr>\n"
        u"<tr>max<td>4.00|3.00|3.50</td></tr>\n"
        u"<tr>min<td>2.00|3.00|2.00</td></tr>\n";
    EXPECT_EQ(report, expected);
}

TEST_F(LossReportTest, AReadingThatIsNoNumberIsNeverAPass) {
    // A damaged protocol file can hold any bit pattern as a reading.
    setForm(u"1000", u"0", u"0", u"0", u"0");
    setDbPerKmOf(1310, 0.5);
    addReading(std::numeric_limits<double>::quiet_NaN(), 1310, STATE_A_TO_B, 1);
    addReading(0.25, 1310, STATE_A_TO_B, 2);

    const std::u16string report = reportOf(u"**VALLINEBEG****THREAD**:**REMARK**|**VALLINEEND**");

    EXPECT_EQ(report, u"1:" + text(98) + u"|2:" + text(97) + u"|");
    EXPECT_EQ(tableCells(reportText(u"**LOSSSUMMARY**")),
              (std::vector<std::vector<std::string>>{
                  {"", u16ToUtf8(text(97)), u16ToUtf8(text(96)), u16ToUtf8(text(98))},
                  {"1310 nm", "1", "0", "1"}}));
}

TEST_F(LossReportTest, ZeroLossesPrintWithoutASign) {
    // A loss text "0" is stored negated, as -0.0; -0.004 rounds to zero.
    setForm(u"1000", u"0", u"0", u"0", u"0");
    addReading(-0.0, 1310, STATE_A_TO_B, 1);
    addReading(-0.004, 1310, STATE_B_TO_A, 1);

    const std::u16string report = reportOf(VALUE_CELL + VALUE_LINES + STATISTICS);

    const std::u16string zeros = u"<td>0.00|0.00|0.00</td>";
    EXPECT_EQ(report, u"<tr><td>1</td>" + zeros + u"<td>" + text(98) + u"</td></tr>\n"
                      u"<tr>mean" + zeros + u"</tr>\n<tr>max" + zeros + u"</tr>\n<tr>min" + zeros +
                      u"</tr>\n");
}

TEST_F(LossReportTest, NoSelectedReadingsWritesOnlyEmptyStatisticsLines) {
    addReading(2.00, 1310, STATE_LOADED, 0);
    setDbPerKmOf(1310, 0.35);

    const std::u16string report =
        reportOf(HEADS + VALUE_CELL + VALUE_LINES + STATISTICS + LOSS_LINES);

    EXPECT_EQ(report, u"<tr></tr>\n<tr></tr>\n<tr>mean</tr>\n<tr>max</tr>\n<tr>min</tr>\n");
}

TEST_F(LossReportTest, FibresStopAtTheRecordCount) {
    // A forged order from a protocol file must not make the report run for
    // millions of empty fibres.
    addReading(2.00, 1310, STATE_A_TO_B, 1);
    addReading(3.00, 1310, STATE_A_TO_B, 4000000);

    const std::u16string report = reportOf(VALUE_CELL + VALUE_LINES);

    EXPECT_EQ(report, u"<tr><td>1</td><td>2.00|---|2.00</td><td>" + text(98) +
                          u"</td></tr>\n<tr><td>2</td><td>---|---|---</td><td>" + text(98) +
                          u"</td></tr>\n");
}

TEST_F(LossReportTest, RepeatedMarkerInACellIsFilledOnlyOnce) {
    addReading(2.00, 1310, STATE_A_TO_B, 1);
    const std::u16string report = reportOf(
        u"**ADDWAVEBEG3**[**VALAB**/**VALAB**]**ADDWAVEEND3****VALLINEBEG****ADDPARAM****VALLINEEND**");
    EXPECT_EQ(report, u"[2.00/**VALAB**]");
}

TEST_F(LossReportTest, ReadingsBehindAnEmptySlotAreIgnored) {
    addReading(2.00, 1310, STATE_A_TO_B, 1);
    addReading(0.00, 0, STATE_EMPTY, 0);
    addReading(5.00, 1310, STATE_B_TO_A, 1);

    const std::u16string report = reportOf(VALUE_CELL + VALUE_LINES);

    EXPECT_EQ(report, u"<tr><td>1</td><td>2.00|---|2.00</td><td>" + text(98) + u"</td></tr>\n");
}

TEST_F(LossChartAndSummaryTest, ChartDrawsEveryMeasuredFibreAgainstTheLossLimit) {
    const std::vector<Svg> charts = readSvgs(reportText(u"<p>**LOSSCHART**</p>"));
    ASSERT_EQ(charts.size(), 2u);
    const std::string overColour = overLimitColour();

    const std::vector<std::pair<std::uint32_t, std::vector<FibreLosses>>> wavelengths = {
        {1310, allFibres(FIBRES_1310)}, {1550, allFibres(FIBRES_1550)}};
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
        const auto& [wavelength, fibres] = wavelengths[w];
        SCOPED_TRACE(wavelength);
        const Svg& chart = charts[w];
        const std::optional<double> limit = lossLimitOf(wavelength);
        EXPECT_TRUE(chart.hasText(std::to_string(wavelength) + " nm"));
        // A fixed size within the printable width of A4 (180 mm at 96 px per inch).
        EXPECT_LE(std::stod(chart.attributes.at("width")), 680);
        EXPECT_EQ(chart.attributes.at("height"), charts[0].attributes.at("height"));
        for (const char* external : {"<script", "href", "src=", "url(", "<image", "<foreignObject"}) {
            EXPECT_EQ(chart.source.find(external), std::string::npos) << external;
        }

        const ValueScale dB = valueScaleOf(chart);
        const FibreScale fibreAxis = fibreScaleOf(chart);
        std::vector<SvgElement> bars = chart.bars();
        std::sort(bars.begin(), bars.end(),
                  [](const SvgElement& a, const SvgElement& b) { return a.number("x") < b.number("x"); });
        std::size_t bar = 0;
        for (std::size_t fibre = 1; fibre <= fibres.size(); ++fibre) {
            const std::optional<double> average = fibres[fibre - 1].average();
            if (!average) continue;
            SCOPED_TRACE(fibre);
            ASSERT_LT(bar, bars.size());
            EXPECT_NEAR(fibreAxis.fibreAt(barCentre(bars[bar])), static_cast<double>(fibre), 0.01);
            EXPECT_NEAR(barValue(bars[bar], dB), *average, dB.resolution());
            const bool over = limit && *average > *limit;
            EXPECT_EQ(bars[bar].hasClass("over"), over);
            EXPECT_EQ(bars[bar].attribute("fill") == overColour, over);
            ++bar;
        }
        EXPECT_EQ(bar, bars.size());

        const std::vector<SvgElement> limitLines = chart.withClass("limit");
        ASSERT_EQ(limitLines.size(), limit ? 1u : 0u);
        if (limit) {
            EXPECT_NEAR(dB.db(limitLines[0].number("y1")), *limit, dB.resolution());
            EXPECT_EQ(limitLines[0].attribute("y2"), limitLines[0].attribute("y1"));
            EXPECT_TRUE(chart.hasText(u16ToUtf8(twoDecimalText(*limit)) + " dB"));
        }
    }
}

TEST_F(LossReportTest, ChartOfManyFibresMarksEveryRunWithAFibreOverTheLimit) {
    setForm(u"1000", u"0", u"0", u"0", u"0");
    setDbPerKmOf(1310, 2.0);
    std::vector<double> averages;
    for (std::uint32_t fibre = 1; fibre <= MAX_RECORDS; ++fibre) {
        const bool over = fibre == 17 || fibre == 4000 || fibre == MAX_RECORDS;
        averages.push_back(over ? 2.5 + fibre / 10000.0 : 1.0 + (fibre % 13) * 0.05);
        addReading(averages.back(), 1310, STATE_A_TO_B, fibre);
    }
    const std::string report = reportText(u"**LOSSCHART**");
    const std::vector<Svg> charts = readSvgs(report);
    ASSERT_EQ(charts.size(), 1u);
    // A page of drawing, not one element per fibre.
    EXPECT_LT(report.size(), 64u * 1024);

    const std::size_t perBar = fibresPerBar(MAX_RECORDS);
    std::vector<SvgElement> bars = charts[0].bars();
    ASSERT_EQ(bars.size(), (MAX_RECORDS + perBar - 1) / perBar);
    EXPECT_LE(bars.size(), LOSS_CHART_MAX_BARS);
    std::sort(bars.begin(), bars.end(),
              [](const SvgElement& a, const SvgElement& b) { return a.number("x") < b.number("x"); });
    const ValueScale dB = valueScaleOf(charts[0]);
    const FibreScale fibreAxis = fibreScaleOf(charts[0]);
    const double limit = *lossLimitOf(1310);
    std::size_t overBars = 0;
    for (std::size_t b = 0; b < bars.size(); ++b) {
        SCOPED_TRACE(b);
        const std::size_t first = b * perBar;
        const std::size_t end = std::min<std::size_t>(MAX_RECORDS, first + perBar);
        const double highest = *std::max_element(averages.begin() + first, averages.begin() + end);
        const double centre = fibreAxis.fibreAt(barCentre(bars[b]));
        EXPECT_GT(centre, first + 0.5);
        EXPECT_LT(centre, end + 0.5);
        EXPECT_NEAR(barValue(bars[b], dB), highest, dB.resolution());
        EXPECT_EQ(bars[b].hasClass("over"), highest > limit);
        overBars += bars[b].hasClass("over") ? 1 : 0;
    }
    EXPECT_EQ(overBars, 3u);
}

TEST_F(LossChartAndSummaryTest, SummaryCountsFibresWithinOverAndNotEvaluatedPerWavelength) {
    const std::vector<std::vector<std::string>> rows =
        tableCells(reportText(u"**LOSSSUMMARY**"));

    std::vector<std::vector<std::string>> expected = {
        {"", u16ToUtf8(text(97)), u16ToUtf8(text(96)), u16ToUtf8(text(98))}};
    for (const auto& [wavelength, fibres] :
         {std::pair{1310u, allFibres(FIBRES_1310)}, std::pair{1550u, allFibres(FIBRES_1550)}}) {
        const std::optional<double> limit = lossLimitOf(wavelength);
        std::uint32_t within = 0, over = 0, notEvaluated = 0;
        for (const FibreLosses& fibre : fibres) {
            const std::optional<double> average = fibre.average();
            if (!average || !limit) {
                ++notEvaluated;
            } else if (*average > *limit) {
                ++over;
            } else {
                ++within;
            }
        }
        expected.push_back({std::to_string(wavelength) + " nm", countText(within, false),
                            countText(over, true), countText(notEvaluated, false)});
    }
    EXPECT_EQ(rows, expected);
}

TEST_F(LossReportTest, SummaryOfFullyEvaluatedFibresHasNoNotEvaluatedColumn) {
    setForm(u"1000", u"0", u"0", u"0", u"0");
    setDbPerKmOf(1310, 1.0);
    addFibres(1310, {{0.5, 0.7}, {0.9, std::nullopt}});
    EXPECT_EQ(tableCells(reportText(u"**LOSSSUMMARY**")),
              (std::vector<std::vector<std::string>>{
                  {"", u16ToUtf8(text(97)), u16ToUtf8(text(96))}, {"1310 nm", "2", "0"}}));
}

TEST_F(LossReportTest, SummaryAndChartOfNoSelectedReadingsWriteNothing) {
    addReading(2.00, 1310, STATE_LOADED, 0);
    setDbPerKmOf(1310, 0.35);
    EXPECT_EQ(reportOf(u"a**LOSSSUMMARY**b**LOSSCHART**c"), u"abc");
}

}  // namespace
