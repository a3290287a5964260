// Runs the instrument simulator on a fresh pseudo-terminal for one test, and
// opens its line the way the program opens a port.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../file_fixture.h"
#include "instrument/serial_port.h"

extern char** environ;

class SimulatorTest : public FileTest {
protected:
    void TearDown() override {
        stopSimulator();
        FileTest::TearDown();
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::string file(const std::string& name, const std::string& bytes) const {
        put(folder / name, bytes);
        return path(name);
    }

    // Starts the simulator with its log in the test folder and waits until its line is ready.
    void startSimulator(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {KALIVERA_SIMULATOR, "--log", path("log")});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);

        int output[2];
        ASSERT_EQ(::pipe(output), 0);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_addclose(&actions, output[0]);
        ::posix_spawn_file_actions_addclose(&actions, output[1]);
        const int spawned = ::posix_spawn(&simulator_, KALIVERA_SIMULATOR, &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        if (spawned != 0) simulator_ = -1;
        // The simulator prints its line's path once it answers there.
        char c = 0;
        while (::read(output[0], &c, 1) == 1 && c != '\n') linePath += c;
        ::close(output[0]);
        ASSERT_EQ(spawned, 0);
        ASSERT_FALSE(linePath.empty()) << contents(folder / "log");
    }

    void stopSimulator() {
        if (simulator_ <= 0) return;
        ::kill(simulator_, SIGTERM);
        int status = 0;
        ::waitpid(simulator_, &status, 0);
        simulator_ = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    // Opens the simulator's line with the configured settings and drains it, as openPort does.
    PortOpener opener() const {
        return [this](const Configuration& configuration) {
            auto port = openSerialDevice(linePath, lineSettingsOf(configuration));
            if (port) drainPort(*port);
            return port;
        };
    }

    std::vector<std::string> logLines() const {
        std::istringstream log(contents(folder / "log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        return lines;
    }

    // The request bytes the simulator was sent, in order.
    std::string requests() const {
        std::string bytes;
        for (const std::string& line : logLines()) {
            if (line.rfind("request ", 0) == 0) bytes += line[8];
        }
        return bytes;
    }

    // The log line that starts with `start`, once the simulator has written it.
    std::string awaitLogLine(const std::string& start) const {
        for (int attempt = 0; attempt < 200; ++attempt) {
            for (const std::string& line : logLines()) {
                if (line.rfind(start, 0) == 0) return line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

    std::string linePath;

private:
    pid_t simulator_ = -1;
};
