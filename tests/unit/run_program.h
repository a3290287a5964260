// Runs a program of the build the way a user's shell would, with its
// standard output and errors captured in files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The exit code of `program arguments…` run in `workingDirectory` (the
// current one when empty), or -1 when it did not end normally.
int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output, const std::filesystem::path& errors,
               const std::filesystem::path& workingDirectory = {});

// A captured output read as text: the CR LF line ends of Windows become LF.
std::string capturedText(const std::filesystem::path& file);
