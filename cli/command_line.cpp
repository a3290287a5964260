#include "cli/command_line.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <type_traits>

#include "core/number_text.h"

namespace {

bool isOneOf(std::string_view name, const std::vector<std::string_view>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void printUsage(std::ostream& out, const CommandSyntax& syntax) {
    out << "usage: kalivera-cli " << syntax.name << ' ' << syntax.arguments << '\n';
}

bool positionalsFit(const CommandSyntax& syntax, std::size_t count) {
    return syntax.severalFiles ? count >= syntax.positionals : count == syntax.positionals;
}

}  // namespace

int usageError(const CommandSyntax& syntax, const std::string& message) {
    std::cerr << "error: " << message << '\n';
    printUsage(std::cerr, syntax);
    return EXIT_USAGE;
}

std::optional<std::string_view> CommandLine::option(std::string_view name) const {
    for (const auto& [key, value] : options) {
        if (key == name) return value;
    }
    return std::nullopt;
}

std::optional<int> readCommandLine(const CommandSyntax& syntax,
                                   std::span<const std::string_view> arguments, CommandLine& line) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            printUsage(std::cout, syntax);
            std::cout << '\n' << syntax.description;
            return EXIT_OK;
        }
        if (argument.size() > 1 && argument.front() == '-') {
            const std::string name(argument);
            if (!isOneOf(argument, syntax.requiredOptions) && !isOneOf(argument, syntax.optionalOptions)) {
                return usageError(syntax, "unknown option " + name);
            }
            if (line.option(argument)) return usageError(syntax, "option " + name + " given twice");
            if (i + 1 == arguments.size()) return usageError(syntax, "option " + name + " needs a value");
            line.options.emplace_back(argument, arguments[++i]);
        } else {
            line.positionals.push_back(argument);
        }
    }
    if (!positionalsFit(syntax, line.positionals.size())) {
        return usageError(syntax, "expected " + std::string(syntax.severalFiles ? "at least " : "") +
                                      std::to_string(syntax.positionals) + " file name" +
                                      (syntax.positionals == 1 ? "" : "s") + ", got " +
                                      std::to_string(line.positionals.size()));
    }
    for (std::string_view name : syntax.requiredOptions) {
        if (!line.option(name)) return usageError(syntax, "missing option " + std::string(name));
    }
    return std::nullopt;
}

int failure(std::string_view message) {
    std::cerr << "error: " << message << '\n';
    return EXIT_FAILED;
}

std::filesystem::path argumentPath(std::string_view argument) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        const std::u16string wide = utf8ToU16(argument);
        return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
    } else {
        return std::filesystem::path(std::string(argument));
    }
}
