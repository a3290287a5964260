#include <iostream>
#include <string>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/fixed_text.h"
#include "core/instrument_kind.h"
#include "core/protocol_file.h"
#include "core/protocol_form.h"
#include "instrument/data_file.h"

namespace {

const CommandSyntax SYNTAX{
    "import",
    "DATA.txt -o OUT.opr [--base BASE.opr]",
    "Loads instrument data from a text file, as the program's command \"load data\n"
    "from file\" does, and saves them as a protocol file.\n"
    "\n"
    "  DATA.txt         the instrument's text transfer (1 to 172095 bytes)\n"
    "  -o OUT.opr       the protocol file to write\n"
    "  --base BASE.opr  start from this protocol (form, dB/km values, location\n"
    "                   names) instead of an empty one\n",
    1,
    {"-o"},
    {"--base"},
};

std::string dataFileError(DataFileOutcome outcome, std::string_view file) {
    const std::string name(file);
    switch (outcome) {
        case DataFileOutcome::CannotRead: return "cannot read " + name + " (missing or empty)";
        case DataFileOutcome::TooLarge: return name + " is too large (172096 bytes or more)";
        default: return name + " is not valid instrument data";
    }
}

// The form's instrument slot as the window saves it after showing the
// identification: type and serial split at the first blank, joined by one.
void takeInstrumentIdentity(MeasurementStore& store) {
    const InstrumentIdentity identity = splitInstrumentIdentity(slotText(store.instrumentId));
    applyInstrumentType(store, identity.type);
    setSlotText(store.protocolForm.instrument,
                joinInstrumentIdentity(identity.type, identity.serial));
}

}  // namespace

int runImport(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const auto stop = readCommandLine(SYNTAX, arguments, line)) return *stop;
    const std::string_view data = line.positionals[0];
    const std::string_view out = *line.option("-o");

    // A fresh store is the empty start: reset, empty form, empty wavelength
    // table, no location names.
    auto store = makeStore();
    if (const auto base = line.option("--base")) {
        if (!readProtocolFile(*store, argumentPath(*base))) {
            return failure("cannot open " + std::string(*base) + " (missing or not a valid protocol file)");
        }
    }
    const DataFileResult loaded = loadDataFile(*store, argumentPath(data));
    if (loaded.outcome != DataFileOutcome::Loaded) return failure(dataFileError(loaded.outcome, data));

    takeInstrumentIdentity(*store);
    rebuildWavelengthSummary(*store);
    computeBudget(*store);
    if (!writeProtocolFile(*store, argumentPath(out))) {
        return failure("cannot write " + std::string(out));
    }
    if (loaded.positiveValues) std::cerr << "warning: positive loss values\n";
    return EXIT_OK;
}
