// What every kalivera-cli command shares: its syntax, reading its arguments,
// and the exit codes and messages of failures.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

struct CommandSyntax {
    std::string_view name;         // "import"
    std::string_view arguments;    // "DATA.txt -o OUT.opr [--base BASE.opr]"
    std::string_view description;  // help text, one or more lines
    std::size_t positionals;       // number of plain arguments; the least with severalFiles
    std::vector<std::string_view> requiredOptions;  // each takes one value
    std::vector<std::string_view> optionalOptions;  // each takes one value
    bool severalFiles = false;     // any number of plain arguments from `positionals` on
};

struct CommandLine {
    std::vector<std::string_view> positionals;
    std::vector<std::pair<std::string_view, std::string_view>> options;

    std::optional<std::string_view> option(std::string_view name) const;
};

// Reads a command's arguments (those after its name). Returns the exit code
// when the command must stop: EXIT_OK after printing the help that --help
// asked for, EXIT_USAGE after a usage error; nothing when the command goes on.
std::optional<int> readCommandLine(const CommandSyntax& syntax,
                                   std::span<const std::string_view> arguments, CommandLine& line);

// Prints "error: <message>" and the command's usage on stderr and returns
// EXIT_USAGE, for the checks a command makes beyond readCommandLine's.
int usageError(const CommandSyntax& syntax, const std::string& message);

// Prints "error: <message>" on stderr and returns EXIT_FAILED.
int failure(std::string_view message);

// A command-line argument (UTF-8) as a path.
std::filesystem::path argumentPath(std::string_view argument);
