// The instrument simulators that the test run starts on COM1 and COM5
// (scripts/gui-tests.sh). A test sets what one answers by writing its
// control file, which the simulator reads before every request, and reads
// back the requests it got from its log.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

class Simulator {
public:
    // `port` as the simulator's files are named: "com1", "com5".
    explicit Simulator(std::string port) : port_(std::move(port)) { serve({}); }
    ~Simulator() { serve({}); }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The simulator's folder as the simulator (a Linux program) names it.
    static std::string folder() {
        const char* folder = std::getenv("KALIVERA_SIMULATOR_DIR");
        return folder ? folder : "";
    }
    // A path of the simulator's folder as this program opens it: through drive Z:.
    static std::filesystem::path here(const std::string& linuxPath) { return "Z:" + linuxPath; }

    // Options over those the simulator was started with (which serve
    // data/samples/lossmeter.txt), for every request from now on.
    void serve(const std::vector<std::string>& options) const {
        std::ofstream control(here(file(".control")), std::ios::binary | std::ios::trunc);
        for (const std::string& option : options) control << option << '\n';
    }

    // A file for the simulator to serve, in its folder; its Linux path.
    static std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string path = folder() + "/" + name;
        std::ofstream(here(path), std::ios::binary) << bytes;
        return path;
    }

    // One line per request, each starting "request X" with the line
    // settings the program had set.
    std::vector<std::string> requests() const {
        std::ifstream in(here(file(".log")));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("request ", 0) == 0) lines.push_back(line);
        }
        return lines;
    }

    // How many lines of the log start with `start`.
    std::size_t logged(const std::string& start) const {
        std::ifstream in(here(file(".log")));
        std::size_t count = 0;
        for (std::string line; std::getline(in, line);) count += line.rfind(start, 0) == 0;
        return count;
    }

    // The request bytes since `start` (a count of earlier requests()).
    std::string requestBytes(std::size_t start) const {
        std::string bytes;
        const std::vector<std::string> lines = requests();
        for (std::size_t i = start; i < lines.size(); ++i) bytes += lines[i].substr(8, 1);
        return bytes;
    }

private:
    // Never "com1.log" itself: to Windows that names the port.
    std::string file(const char* suffix) const { return folder() + "/instrument-" + port_ + suffix; }

    std::string port_;
};
