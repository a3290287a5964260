#include "run_program.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

#ifdef _WIN32
// cmd.exe: no argument of the tests holds a double quote.
std::string quoted(const std::string& argument) { return '"' + argument + '"'; }
#else
std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (char c : argument) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}
#endif

}  // namespace

int runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output, const std::filesystem::path& errors,
               const std::filesystem::path& workingDirectory) {
    std::string command;
#ifdef _WIN32
    if (!workingDirectory.empty()) command = "cd /d " + quoted(workingDirectory.string()) + " && ";
#else
    if (!workingDirectory.empty()) command = "cd " + quoted(workingDirectory.string()) + " && ";
#endif
    command += quoted(program);
    for (const std::string& argument : arguments) command += ' ' + quoted(argument);
    command += " >" + quoted(output.string()) + " 2>" + quoted(errors.string());
#ifdef _WIN32
    // cmd /c drops the first and the last quote of a line that starts with one.
    return std::system(('"' + command + '"').c_str());
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string capturedText(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
