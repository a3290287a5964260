#include <string>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/measurement_store.h"
#include "core/protocol_file.h"
#include "language/language_table.h"
#include "report/results_csv.h"

namespace {

const CommandSyntax SYNTAX{
    "csv",
    "IN.opr -o OUT.csv --language LNG",
    "Writes the results of a protocol file as a table for spreadsheet programs,\n"
    "as the program's CSV export does: one line per fibre and wavelength of a\n"
    "loss measurement (fibre, wavelength, A->B, B->A, average, loss limit,\n"
    "verdict) or per ticked ZD615 row (OLT, ONT, location, the three powers and\n"
    "grades, limit set). UTF-8 with byte-order mark, ';' between fields,\n"
    "decimal point, a value that was not measured left empty. OUT.csv is\n"
    "replaced only when it is complete.\n"
    "\n"
    "  IN.opr          the protocol file\n"
    "  -o OUT.csv      the table to write\n"
    "  --language LNG  the language file of the headings and verdicts\n",
    1,
    {"-o", "--language"},
    {},
};

}  // namespace

int runCsv(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const auto stop = readCommandLine(SYNTAX, arguments, line)) return *stop;
    const std::string in(line.positionals[0]);
    const std::string out(*line.option("-o"));
    const std::string language(*line.option("--language"));

    auto store = makeStore();
    if (!loadLanguageFile(store->language, argumentPath(language))) {
        return failure("cannot read the language file " + language);
    }
    if (!readProtocolFile(*store, argumentPath(in))) {
        return failure("cannot open " + in + " (missing or not a valid protocol file)");
    }
    if (!hasResults(*store)) return failure(in + " holds no selected readings or ticked rows");
    if (!writeResultsCsv(*store, argumentPath(out))) return failure("cannot write " + out);
    return EXIT_OK;
}
