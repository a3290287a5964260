// Builds the sample protocols of data/samples from the sample instrument texts
// beside them, the way an operator builds them in the program: load the text,
// fill the form, select the readings (for the loss meter through the same
// selection logic as the selection dialog), save.
//
//   make_sample_protocols SAMPLES_DIR [OUT_DIR]
//
// Reads lossmeter.txt and zd615.txt from SAMPLES_DIR and writes lossmeter.opr
// and zd615.opr into OUT_DIR (default SAMPLES_DIR). The output depends on the
// texts alone: the same bytes on every run.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/fixed_text.h"
#include "core/instrument_kind.h"
#include "core/measurement_store.h"
#include "core/protocol_file.h"
#include "core/protocol_form.h"
#include "instrument/data_file.h"
#include "selection/value_selection.h"

namespace {

namespace fs = std::filesystem;

// The loss-meter sample holds two measurement runs of one 24-fibre cable:
// reading number 1 was measured from end A, number 2 from end B, and the
// sub-number is the fibre.
constexpr std::uint32_t RUN_FROM_A = 1;
constexpr std::uint32_t RUN_FROM_B = 2;

struct JobData {
    std::u16string_view date;
    std::u16string_view measuredBy;
    std::u16string_view organisation;
    std::u16string_view route;
    std::u16string_view section;
    std::u16string_view endA;
    std::u16string_view endB;
};

struct LossBudget {
    std::u16string_view fibreLength;  // metres
    std::u16string_view spliceCount, spliceLimit;
    std::u16string_view connectorCount, connectorLimit;
    std::u16string_view splitterCount, splitterLimit;
};

struct SpecificAttenuation {
    std::uint32_t wavelength;
    double dbPerKm;
};

// Thresholds in hundredths of a dBm: PASS, WARNING, FAIL for 1310, 1490 and
// 1550 nm. PASS is the overload bound, WARNING the margin below which a value
// is graded WARNING, FAIL the sensitivity below which it fails.
struct SampleLimitSet {
    std::uint32_t number;
    std::string_view name;  // at most 12 characters: A-Z, 0-9 and blanks
    std::array<int, 9> centiDbm;
};

struct LocationKey {
    std::uint32_t olt, ont, location;
};

const JobData LOSS_JOB{
    u"14.5.2025",
    u"Ing. Petr Dvořák",
    u"FiberNet Morava s.r.o.",
    u"Brno, Líšeň – Šlapanice",
    u"Kabel K12, 24 vláken SM G.652D",
    u"PoP Brno-Líšeň, ODF 3",
    u"ÚK Šlapanice, ODF 1",
};

// 2.5 km with eight splices and four connectors: every fibre passes except
// fibre 17, whose 1310 nm average exceeds its loss limit.
const LossBudget LOSS_BUDGET{u"2500", u"8", u"0.10", u"4", u"0.50", u"0", u"3.50"};

const std::array<SpecificAttenuation, 2> LOSS_DB_PER_KM{{{1310, 0.35}, {1550, 0.22}}};

const JobData ZD615_JOB{
    u"16.5.2025",
    u"Jan Kučera",
    u"FiberNet Morava s.r.o.",
    u"FTTH Brno-Líšeň, OLT 1 a 2",
    u"Bytový dům Kosmonautů 12",
    u"",
    u"",
};

// The two sets the sample's records are graded against; their thresholds
// agree with the grades the instrument sent.
const std::array<SampleLimitSet, 2> ZD615_LIMIT_SETS{{
    {1, "GPON CLASS B", {500, 50, 0, -800, -2500, -2700, 200, -800, -1000}},
    {2, "GPON CLASS C", {700, 100, 50, -1200, -2900, -3200, 200, -800, -1000}},
}};

const std::array<std::u16string_view, 4> ZD615_LOCATION_NAMES{
    u"Rozvaděč RD1", u"Byt 12", u"Byt 14", u"Byt 21"};

// Rows left out of the report: a repeated measurement and a line without values.
const std::array<LocationKey, 2> ZD615_UNTICKED_ROWS{{{2, 1, 8}, {2, 3, 0}}};

bool loadSample(MeasurementStore& store, const fs::path& text) {
    const DataFileResult loaded = loadDataFile(store, text);
    if (loaded.outcome != DataFileOutcome::Loaded) {
        std::cerr << "error: cannot load " << text.string() << '\n';
        return false;
    }
    return true;
}

// The form's instrument slot as the window fills it from the identification.
void fillInstrument(MeasurementStore& store) {
    const InstrumentIdentity identity = splitInstrumentIdentity(slotText(store.instrumentId));
    applyInstrumentType(store, identity.type);
    setSlotText(store.protocolForm.instrument, joinInstrumentIdentity(identity.type, identity.serial));
}

void fillJobData(ProtocolForm& form, const JobData& job) {
    setSlotText(form.date, job.date);
    setSlotText(form.measuredBy, job.measuredBy);
    setSlotText(form.organisation, job.organisation);
    setSlotText(form.route, job.route);
    setSlotText(form.section, job.section);
    setSlotText(form.endA, job.endA);
    setSlotText(form.endB, job.endB);
}

void fillLossBudget(ProtocolForm& form, const LossBudget& budget) {
    setSlotText(form.fibreLength, budget.fibreLength);
    setSlotText(form.spliceCount, budget.spliceCount);
    setSlotText(form.spliceLimit, budget.spliceLimit);
    setSlotText(form.connectorCount, budget.connectorCount);
    setSlotText(form.connectorLimit, budget.connectorLimit);
    setSlotText(form.splitterCount, budget.splitterCount);
    setSlotText(form.splitterLimit, budget.splitterLimit);
}

// The item texts of the loaded list that belong to one measurement run, in
// list order: what the operator selects before one "add" click.
std::vector<std::u16string> loadedItemsOfRun(const MeasurementStore& store, std::uint32_t wavelength,
                                             std::uint32_t run) {
    std::vector<std::u16string> texts;
    for (const std::size_t index : selectionListsFor(store, wavelength).loaded) {
        if (store.readings[index].number == run) texts.push_back(readingNumberText(store.readings[index]));
    }
    return texts;
}

// Per wavelength, the run from end A goes to the A-to-B list and the run from
// end B to the B-to-A list, fibre by fibre; the dialog would not let the
// operator leave a wavelength whose two lists differ in length.
bool selectTwoWay(MeasurementStore& store) {
    rebuildWavelengthSummary(store);
    const WavelengthSummary& summary = store.wavelengthSummary;
    std::vector<std::uint32_t> wavelengths;
    for (std::uint32_t i = 0; i < summary.wavelengthCount; ++i) {
        wavelengths.push_back(summary.entries[i].wavelength);
    }
    for (const std::uint32_t wavelength : wavelengths) {
        moveSelectedReadings(store, wavelength, loadedItemsOfRun(store, wavelength, RUN_FROM_A),
                             STATE_LOADED, STATE_A_TO_B);
        moveSelectedReadings(store, wavelength, loadedItemsOfRun(store, wavelength, RUN_FROM_B),
                             STATE_LOADED, STATE_B_TO_A);
        if (!selectionBalanced(store, SelectionMode::TwoWay, wavelength)) {
            std::cerr << "error: unbalanced selection at " << wavelength << " nm\n";
            return false;
        }
    }
    rebuildWavelengthSummary(store);  // the dialog's OK
    return true;
}

std::array<std::uint8_t, 2> thresholdBytes(int centiDbm) {
    const unsigned magnitude = static_cast<unsigned>(centiDbm < 0 ? -centiDbm : centiDbm);
    const unsigned word = magnitude | (centiDbm < 0 ? 0x8000u : 0u);
    return {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)};
}

void setLimitSet(LimitSetTable& table, const SampleLimitSet& sample) {
    LimitSet& set = table[sample.number];
    std::fill(std::begin(set.name), std::end(set.name), std::uint8_t{' '});
    std::copy(sample.name.begin(), sample.name.end(), set.name);
    for (std::size_t k = 0; k < sample.centiDbm.size(); ++k) {
        const auto bytes = thresholdBytes(sample.centiDbm[k]);
        set.thresholds[2 * k] = bytes[0];
        set.thresholds[2 * k + 1] = bytes[1];
    }
    set.lineEnd[0] = 0x0A;
    set.lineEnd[1] = 0x0D;
}

bool isUnticked(const LocationRecord& record) {
    for (const LocationKey& key : ZD615_UNTICKED_ROWS) {
        if (record.olt == key.olt && record.ont == key.ont && record.location == key.location) return true;
    }
    return false;
}

bool save(MeasurementStore& store, const fs::path& file) {
    rebuildWavelengthSummary(store);
    computeBudget(store);
    if (!writeProtocolFile(store, file)) {
        std::cerr << "error: cannot write " << file.string() << '\n';
        return false;
    }
    std::cout << "wrote " << file.string() << '\n';
    return true;
}

bool makeLossMeterSample(const fs::path& samples, const fs::path& out) {
    auto store = makeStore();
    if (!loadSample(*store, samples / "lossmeter.txt")) return false;
    fillInstrument(*store);
    fillJobData(store->protocolForm, LOSS_JOB);
    fillLossBudget(store->protocolForm, LOSS_BUDGET);
    for (const SpecificAttenuation& entry : LOSS_DB_PER_KM) setDbPerKm(*store, entry.wavelength, entry.dbPerKm);
    return selectTwoWay(*store) && save(*store, out / "lossmeter.opr");
}

bool makeZd615Sample(const fs::path& samples, const fs::path& out) {
    auto store = makeStore();
    if (!loadSample(*store, samples / "zd615.txt")) return false;
    fillInstrument(*store);
    fillJobData(store->protocolForm, ZD615_JOB);
    for (std::uint32_t i = 0; i < store->recordCount; ++i) {
        LocationRecord& record = store->locationRecords[i];
        record.selected = isUnticked(record) ? 0 : 1;
    }
    for (unsigned k = 0; k < ZD615_LOCATION_NAMES.size(); ++k) {
        setLocationName(store->locationNames, k + 1, ZD615_LOCATION_NAMES[k]);
    }
    for (const SampleLimitSet& set : ZD615_LIMIT_SETS) setLimitSet(store->activeLimitSets, set);
    store->evaluateWavelength = {1, 1, 1};
    return save(*store, out / "zd615.opr");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: make_sample_protocols SAMPLES_DIR [OUT_DIR]\n";
        return 2;
    }
    const fs::path samples = argv[1];
    const fs::path out = argc == 3 ? fs::path(argv[2]) : samples;
    const bool made = makeLossMeterSample(samples, out) && makeZd615Sample(samples, out);
    return made ? EXIT_SUCCESS : EXIT_FAILURE;
}
