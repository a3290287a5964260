#include "report/loss_report.h"

#include <limits>

#include "report_fixture.h"

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

}  // namespace
