#include <string>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/protocol_file.h"
#include "core/text_export.h"

namespace {

const CommandSyntax SYNTAX{
    "export",
    "IN.opr -o OUT.txt",
    "Writes the instrument's text transfer saved in a protocol file, byte for\n"
    "byte, as the program's text export does. The result loads again as\n"
    "instrument data.\n"
    "\n"
    "  IN.opr      the protocol file\n"
    "  -o OUT.txt  the text file to write\n",
    1,
    {"-o"},
    {},
};

}  // namespace

int runExport(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const auto stop = readCommandLine(SYNTAX, arguments, line)) return *stop;
    const std::string in(line.positionals[0]);
    const std::string out(*line.option("-o"));

    auto store = makeStore();
    if (!readProtocolFile(*store, argumentPath(in))) {
        return failure("cannot open " + in + " (missing or not a valid protocol file)");
    }
    if (store->rawTextLength == 0) return failure(in + " holds no instrument text");
    if (!writeInstrumentText(*store, argumentPath(out))) return failure("cannot write " + out);
    return EXIT_OK;
}
