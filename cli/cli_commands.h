// The commands of kalivera-cli. Each takes the arguments after its name
// (UTF-8) and returns the exit code: 0 done, 1 failed, 2 usage error.
#pragma once

#include <span>
#include <string_view>

int runImport(std::span<const std::string_view> arguments);
int runExport(std::span<const std::string_view> arguments);
int runInfo(std::span<const std::string_view> arguments);
int runReport(std::span<const std::string_view> arguments);
int runCsv(std::span<const std::string_view> arguments);
