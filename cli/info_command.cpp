#include <cstdint>
#include <iostream>
#include <string>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/fixed_text.h"
#include "core/number_text.h"
#include "core/protocol_file.h"
#include "report/value_format.h"

namespace {

const CommandSyntax SYNTAX{
    "info",
    "IN.opr",
    "Prints a short summary of a protocol file: version, instrument, records,\n"
    "wavelengths with their dB/km and the selected readings.\n"
    "\n"
    "  IN.opr  the protocol file\n",
    1,
    {},
    {},
};

std::string dbPerKmText(double value) {
    return value == NOT_SET ? "---" : u16ToUtf8(twoDecimalText(value));
}

void printWavelengths(const MeasurementStore& store) {
    std::cout << "wavelengths:";
    bool any = false;
    for (const WavelengthEntry& entry : store.wavelengthTable) {
        if (entry.wavelength == -1) break;
        std::cout << "\n  " << entry.wavelength << " nm  " << dbPerKmText(entry.dbPerKm) << " dB/km";
        any = true;
    }
    std::cout << (any ? "\n" : " none\n");
}

void printLossMeterSelection(const MeasurementStore& store) {
    std::uint32_t aToB = 0;
    std::uint32_t bToA = 0;
    for (std::uint32_t i = 0; i < store.recordCount; ++i) {
        aToB += store.readings[i].state == STATE_A_TO_B;
        bToA += store.readings[i].state == STATE_B_TO_A;
    }
    std::cout << "selected readings: A->B " << aToB << ", B->A " << bToA << '\n';
}

void printZd615Selection(const MeasurementStore& store) {
    std::uint32_t selected = 0;
    for (std::uint32_t i = 0; i < store.recordCount; ++i) {
        selected += store.locationRecords[i].selected != 0;
    }
    std::cout << "selected rows: " << selected << " of " << store.recordCount << '\n';
}

}  // namespace

int runInfo(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const auto stop = readCommandLine(SYNTAX, arguments, line)) return *stop;
    const std::string in(line.positionals[0]);

    auto store = makeStore();
    if (!readProtocolFile(*store, argumentPath(in))) {
        return failure("cannot open " + in + " (missing or not a valid protocol file)");
    }
    const bool zd615 = protocolVersionOf(*store) == ProtocolVersion::Zd615;
    std::cout << "version: " << (zd615 ? "02.10 (ZD615)" : "01.10 (loss meter)") << '\n'
              << "instrument: " << u16ToUtf8(slotText(store->protocolForm.instrument)) << '\n'
              << "records: " << store->recordCount << '\n'
              << "raw text: " << store->rawTextLength << " bytes\n";
    printWavelengths(*store);
    if (zd615) {
        printZd615Selection(*store);
    } else {
        printLossMeterSelection(*store);
    }
    return EXIT_OK;
}
