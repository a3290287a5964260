// kalivera-cli: batch work on instrument data and protocol files with the
// same core code as the program.
#include <algorithm>
#include <array>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/number_text.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(std::span<const std::string_view>);
    std::string_view arguments;
    std::string_view purpose;
};

constexpr std::array COMMANDS = {
    Command{"import", runImport, "DATA.txt -o OUT.opr [--base BASE.opr]", "instrument data to a protocol"},
    Command{"export", runExport, "IN.opr -o OUT.txt", "raw instrument text of a protocol"},
    Command{"info", runInfo, "IN.opr", "summary of a protocol"},
    Command{"report", runReport, "IN.opr... (-o OUT.html | -d DIR) --language LNG [--template TPL]",
            "HTML reports of protocols"},
    Command{"csv", runCsv, "IN.opr -o OUT.csv --language LNG", "results of a protocol as CSV"},
};

void printUsage(std::ostream& out) {
    std::size_t width = 0;
    for (const Command& command : COMMANDS) {
        width = std::max(width, command.name.size() + 1 + command.arguments.size());
    }
    out << "usage: kalivera-cli COMMAND ARGUMENTS...\n\ncommands:\n";
    for (const Command& command : COMMANDS) {
        std::string synopsis = std::string(command.name) + ' ' + std::string(command.arguments);
        synopsis.resize(width + 2, ' ');
        out << "  " << synopsis << command.purpose << '\n';
    }
    out << "\n\"kalivera-cli COMMAND --help\" describes a command.\n";
}

int run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        printUsage(std::cerr);
        return EXIT_USAGE;
    }
    const std::string_view name = arguments[0];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(std::cout);
        return EXIT_OK;
    }
    const std::vector<std::string_view> rest(arguments.begin() + 1, arguments.end());
    for (const Command& command : COMMANDS) {
        if (command.name == name) return command.run(rest);
    }
    std::cerr << "error: unknown command " << name << '\n';
    printUsage(std::cerr);
    return EXIT_USAGE;
}

}  // namespace

#ifdef _WIN32
// Windows hands over the arguments as UTF-16; the commands work in UTF-8.
int wmain(int argc, wchar_t* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view wide(argv[i]);
        arguments.push_back(u16ToUtf8(std::u16string(wide.begin(), wide.end())));
    }
    return run(arguments);
}
#else
int main(int argc, char* argv[]) { return run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
