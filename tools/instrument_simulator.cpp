// Stands in for the instrument at the far end of a serial line, for tests and
// demonstrations without hardware. It opens a pseudo-terminal pair (or a given
// tty), keeps the program's side open itself, so the line never hangs up
// between two sessions and the line settings the program set can be read back,
// and answers the request bytes:
//
//   u  the bytes of the --text file (the measurement text)
//   t  bytes 32 to 511 of the --limits file, limit sets 1 to 15 (only with --limits)
//   n  the --identity text (default: the first line of the --text file)
//   $  receives 15 limit sets of 30 bytes: one acknowledgement for "$", one for
//      each data byte, three for the last byte of each set
//
// usage: instrument_simulator [--link PATH | --device TTY] --text FILE [--limits FILE]
//            [--identity TEXT] [--received FILE] [--baud N] [--stop-after N]
//            [--garbage N] [--silent] [--ack-stop-after N] [--close-after N] [--control FILE]
//            [--log FILE]
//
//   --link PATH         a symbolic link to the program's side of the line (its
//                       path is printed on stdout in any case, once ready)
//   --device TTY        serve an existing tty instead of a new pseudo-terminal
//   --received FILE     where the bytes of a limit-set write are stored
//   --baud N            pace answers at N baud, 10 bits a byte
//   --stop-after N      send only the first N bytes of an answer, garbage included
//   --garbage N         send N bytes of non-text garbage before each answer
//   --silent            answer nothing
//   --ack-stop-after N  acknowledge at most N bytes of a limit-set write
//   --close-after N     close the line once N bytes of an answer (acknowledgements
//                       included) have gone out, or after a shorter answer, as an
//                       instrument switched off or unplugged does: the program's
//                       side hangs up. A new line then takes the place of the old
//                       one behind --link (logged, not printed)
//   --control FILE      before each request, read options from FILE (same syntax,
//                       separated by white space, so no value holds a blank) over
//                       those of the command line; start-up options are refused there
//   --log FILE          one line per request with the line settings (default stderr)
//
// SIGTERM or SIGINT ends it and removes the link.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t LIMIT_SETS_OFFSET = 32;  // set 0 ("none") is never sent
constexpr std::size_t LIMIT_SETS_END = 512;
constexpr std::size_t SENT_SET_BYTES = 30;
constexpr std::size_t SENT_SETS = 15;
constexpr std::uint8_t ACKNOWLEDGEMENT = 0x06;
constexpr int QUIET_WRITE_MS = 1000;    // a limit-set write that pauses this long has been given up
constexpr auto UNREAD_ANSWER = std::chrono::seconds(1);  // nobody reads: the rest is dropped

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

// What the simulator does; the control file may change all of it per request.
struct Scenario {
    std::string textFile;
    std::string limitsFile;
    std::optional<std::string> identity;
    std::string receivedFile;
    std::uint32_t baud = 0;
    std::optional<std::size_t> stopAfter;
    std::size_t garbage = 0;
    bool silent = false;
    std::optional<std::size_t> ackStopAfter;
    std::optional<std::size_t> closeAfter;
};

struct Options {
    std::string link;
    std::string device;
    std::string control;
    std::string log;
    Scenario scenario;
};

std::FILE* logFile = stderr;

void logLine(const std::string& line) {
    std::fprintf(logFile, "%s\n", line.c_str());
    std::fflush(logFile);
}

std::optional<std::size_t> numberOf(const std::string& text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Applies the options in `words`; start-up options only when `atStart`.
// Returns an error text, empty when all went well.
std::string parseOptions(const std::vector<std::string>& words, Options& options, bool atStart) {
    Scenario& s = options.scenario;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& name = words[i];
        if (name == "--silent") {
            s.silent = true;
            continue;
        }
        if (i + 1 == words.size()) return "missing value after " + name;
        const std::string& value = words[++i];
        const auto number = numberOf(value);
        const bool numeric = name == "--baud" || name == "--stop-after" || name == "--garbage" ||
                             name == "--ack-stop-after" || name == "--close-after";
        if (numeric && !number) return "not a number: " + name + " " + value;
        const bool startup = name == "--link" || name == "--device" || name == "--control" || name == "--log";
        if (startup && !atStart) return name + " is a start-up option";

        if (name == "--text") s.textFile = value;
        else if (name == "--limits") s.limitsFile = value;
        else if (name == "--identity") s.identity = value;
        else if (name == "--received") s.receivedFile = value;
        else if (name == "--baud") s.baud = static_cast<std::uint32_t>(*number);
        else if (name == "--stop-after") s.stopAfter = *number;
        else if (name == "--garbage") s.garbage = *number;
        else if (name == "--ack-stop-after") s.ackStopAfter = *number;
        else if (name == "--close-after") s.closeAfter = *number;
        else if (name == "--link") options.link = value;
        else if (name == "--device") options.device = value;
        else if (name == "--control") options.control = value;
        else if (name == "--log") options.log = value;
        else return "unknown option " + name;
    }
    return {};
}

std::optional<Bytes> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The command line's scenario with the control file's options over it.
Scenario currentScenario(const Options& options) {
    if (options.control.empty()) return options.scenario;
    std::ifstream in(options.control);
    if (!in) return options.scenario;
    std::vector<std::string> words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
    Options changed = options;
    const std::string error = parseOptions(words, changed, false);
    if (!error.empty()) {
        logLine("error: control file: " + error);
        return options.scenario;
    }
    return changed.scenario;
}

// The simulator's end of the line, and the program's end when it is a pty.
struct Line {
    int descriptor = -1;
    int programSide = -1;  // kept open: no hang-up between sessions, settings readable
    std::string programPath;

    ~Line() { close(); }
    void close() {
        if (programSide >= 0) ::close(programSide);
        if (descriptor >= 0) ::close(descriptor);
        programSide = descriptor = -1;
    }
    int settingsSource() const { return programSide >= 0 ? programSide : descriptor; }
};

bool makeRaw(int descriptor) {
    termios line{};
    if (::tcgetattr(descriptor, &line) != 0) return false;
    ::cfmakeraw(&line);
    return ::tcsetattr(descriptor, TCSANOW, &line) == 0;
}

bool openLine(const Options& options, Line& line) {
    if (!options.device.empty()) {
        line.descriptor = ::open(options.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        line.programPath = options.device;
        return line.descriptor >= 0 && makeRaw(line.descriptor);
    }
    line.descriptor = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.descriptor < 0 || ::grantpt(line.descriptor) != 0 || ::unlockpt(line.descriptor) != 0) return false;
    const char* path = ::ptsname(line.descriptor);
    if (!path) return false;
    line.programPath = path;
    line.programSide = ::open(path, O_RDWR | O_NOCTTY);
    // Raw from the start: nothing the simulator sends is echoed or edited.
    return line.programSide >= 0 && makeRaw(line.programSide);
}

std::string baudText(speed_t speed) {
    static const std::pair<speed_t, const char*> SPEEDS[] = {
        {B110, "110"},       {B300, "300"},       {B1200, "1200"},     {B2400, "2400"},     {B4800, "4800"},
        {B9600, "9600"},     {B19200, "19200"},   {B38400, "38400"},   {B57600, "57600"},   {B115200, "115200"},
        {B230400, "230400"}, {B460800, "460800"}, {B921600, "921600"}};
    for (const auto& [value, text] : SPEEDS) {
        if (value == speed) return text;
    }
    return "other";
}

std::string lineSettingsText(int descriptor) {
    termios line{};
    if (::tcgetattr(descriptor, &line) != 0) return "settings=unreadable";
    const tcflag_t size = line.c_cflag & CSIZE;
    const int dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const char* parity = "none";
    if (line.c_cflag & PARENB) {
        const bool odd = line.c_cflag & PARODD;
        parity = (line.c_cflag & CMSPAR) ? (odd ? "mark" : "space") : (odd ? "odd" : "even");
    }
    const int flow = (line.c_cflag & CRTSCTS) ? 1 : (line.c_iflag & IXANY) ? 2 : 0;
    return "baud=" + baudText(::cfgetospeed(&line)) + " data=" + std::to_string(dataBits) + " parity=" + parity +
           " stop=" + ((line.c_cflag & CSTOPB) ? "2" : "1") + " flow=" + std::to_string(flow);
}

std::string requestText(std::uint8_t request) {
    if (request > 0x20 && request < 0x7F) return std::string(1, static_cast<char>(request));
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", request);
    return hex;
}

// One byte from the program, or nothing after `timeoutMs` (negative: until a stop).
std::optional<std::uint8_t> receiveByte(const Line& line, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!stopRequested) {
        std::uint8_t byte = 0;
        const ssize_t count = ::read(line.descriptor, &byte, 1);
        if (count == 1) return byte;
        if (timeoutMs >= 0 && Clock::now() >= deadline) return std::nullopt;
        if (count < 0 && errno == EAGAIN) {
            pollfd entry{line.descriptor, POLLIN, 0};
            ::poll(&entry, 1, 100);  // short, so a stop is seen soon
        } else {
            ::usleep(100'000);  // a given tty that hung up: wait for its next user
        }
    }
    return std::nullopt;
}

// Bytes waiting to be read on the program's side of the line; nothing
// when that side is not ours (a given tty).
std::optional<int> unreadBytes(const Line& line) {
    int count = 0;
    if (line.programSide < 0 || ::ioctl(line.programSide, TIOCINQ, &count) != 0) return std::nullopt;
    return count;
}

// Sends the bytes, paced at `baud` when it is not 0. An answer that nobody
// reads for a while is dropped, so it cannot precede the next session's answer.
// A program that reads more slowly than the line sends is still reading: a
// full pseudo-terminal takes no more until its reader has emptied most of
// it, which at a few kilobytes a second takes longer than that while.
void sendBytes(const Line& line, const Bytes& bytes, std::uint32_t baud) {
    const auto start = Clock::now();
    bool blocked = false;
    Clock::time_point blockedSince;
    std::optional<int> unreadWhenBlocked;
    std::size_t sent = 0;
    while (sent < bytes.size() && !stopRequested) {
        std::size_t due = bytes.size();
        if (baud != 0) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
            due = std::min(due, static_cast<std::size_t>(elapsed.count() * baud / 10'000'000) + 1);
        }
        if (due > sent) {
            const ssize_t count = ::write(line.descriptor, bytes.data() + sent, due - sent);
            if (count > 0) {
                sent += static_cast<std::size_t>(count);
                blocked = false;
                continue;
            }
            const std::optional<int> unread = unreadBytes(line);
            if (!blocked || unread != unreadWhenBlocked) {
                blocked = true;
                blockedSince = Clock::now();
                unreadWhenBlocked = unread;
            }
            if (Clock::now() - blockedSince > UNREAD_ANSWER) {
                if (line.programSide >= 0) ::tcflush(line.programSide, TCIFLUSH);
                logLine("answer dropped after " + std::to_string(sent) + " bytes: nobody reads");
                return;
            }
        }
        ::usleep(1000);
    }
}

// The smaller of two optional counts.
std::optional<std::size_t> earliest(std::optional<std::size_t> a, std::optional<std::size_t> b) {
    if (!a || !b) return a ? a : b;
    return std::min(*a, *b);
}

// Sends an answer; true when the line is to be closed after it.
bool answer(const Line& line, const Scenario& scenario, const Bytes& bytes) {
    Bytes wire;
    for (std::size_t i = 0; i < scenario.garbage; ++i) wire.push_back(static_cast<std::uint8_t>(0x80 | (i * 37 % 128)));
    wire.insert(wire.end(), bytes.begin(), bytes.end());
    const auto sent = earliest(scenario.stopAfter, scenario.closeAfter);
    if (sent && *sent < wire.size()) wire.resize(*sent);
    sendBytes(line, wire, scenario.baud);
    return scenario.closeAfter.has_value();
}

std::optional<Bytes> requiredFile(const std::string& path, const char* what) {
    auto bytes = fileBytes(path);
    if (!bytes) logLine(std::string("error: cannot read the ") + what + " file '" + path + "'");
    return bytes;
}

std::optional<Bytes> identityOf(const Scenario& scenario) {
    if (scenario.identity) return Bytes(scenario.identity->begin(), scenario.identity->end());
    auto text = requiredFile(scenario.textFile, "text");
    if (!text) return std::nullopt;
    std::size_t end = 0;
    while (end < text->size() && (*text)[end] != '\r' && (*text)[end] != '\n') ++end;
    text->resize(end);
    return text;
}

// The write of limit sets after "$": acknowledges and keeps the data bytes.
// True when the line is to be closed after it.
bool receiveLimitSets(const Line& line, const Scenario& scenario) {
    const auto lastAcknowledgement = earliest(scenario.ackStopAfter, scenario.closeAfter);
    std::size_t acknowledged = 0;
    const auto acknowledge = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++acknowledged) {
            if (lastAcknowledgement && acknowledged >= *lastAcknowledgement) return false;
            sendBytes(line, {ACKNOWLEDGEMENT}, scenario.baud);
        }
        return true;
    };
    Bytes received;
    // The program sends each byte only after its acknowledgement: once these
    // stop, no more data comes.
    bool acknowledging = acknowledge(1);
    while (acknowledging && received.size() < SENT_SETS * SENT_SET_BYTES) {
        const auto byte = receiveByte(line, QUIET_WRITE_MS);
        if (!byte) break;
        received.push_back(*byte);
        acknowledging = acknowledge(received.size() % SENT_SET_BYTES == 0 ? 3 : 1);
    }
    if (!scenario.receivedFile.empty()) {
        std::ofstream(scenario.receivedFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(received.data()), static_cast<std::streamsize>(received.size()));
    }
    logLine("write received=" + std::to_string(received.size()) + " acks=" + std::to_string(acknowledged));
    return scenario.closeAfter.has_value();
}

// Answers one request; true when the line is to be closed after it.
bool handleRequest(const Line& line, const Scenario& scenario, std::uint8_t request) {
    if (scenario.silent) return false;
    switch (request) {
    case 'u':
        if (const auto text = requiredFile(scenario.textFile, "text")) return answer(line, scenario, *text);
        break;
    case 't':
        if (scenario.limitsFile.empty()) break;  // a loss meter has no limit sets
        if (const auto limits = requiredFile(scenario.limitsFile, "limits")) {
            const auto begin = limits->begin() + std::min(limits->size(), LIMIT_SETS_OFFSET);
            const auto end = limits->begin() + std::min(limits->size(), LIMIT_SETS_END);
            return answer(line, scenario, Bytes(begin, end));
        }
        break;
    case 'n':
        if (const auto identity = identityOf(scenario)) return answer(line, scenario, *identity);
        break;
    case '$': return receiveLimitSets(line, scenario);
    default: break;
    }
    return false;
}

// The link is replaced in one step, and removed only while it is still ours.
bool createLink(const std::string& link, const std::string& target) {
    const std::string temporary = link + ".tmp" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    return ::symlink(target.c_str(), temporary.c_str()) == 0 && std::rename(temporary.c_str(), link.c_str()) == 0;
}

void removeLink(const std::string& link, const std::string& target) {
    std::error_code error;
    if (std::filesystem::read_symlink(link, error) == target) ::unlink(link.c_str());
}

// A hang-up discards what the program has not read yet, so the bytes sent
// are left a moment to be read first.
void awaitReadByProgram(const Line& line) {
    const auto deadline = Clock::now() + UNREAD_ANSWER;
    do {
        ::usleep(10'000);
    } while (unreadBytes(line).value_or(0) > 0 && Clock::now() < deadline && !stopRequested);
}

// Closes the line under the program, which sees it hang up, and puts a new
// one behind the link for the next session. False when there is none.
bool replaceLine(const Options& options, Line& line) {
    awaitReadByProgram(line);
    line.close();
    logLine("line closed");
    if (!openLine(options, line) || (!options.link.empty() && !createLink(options.link, line.programPath))) {
        logLine("error: cannot open a new line");
        return false;
    }
    logLine("new line " + line.programPath);
    return true;
}

void installStopHandlers() {
    struct sigaction action{};
    action.sa_handler = requestStop;  // no SA_RESTART: waits end at once
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const std::string error = parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, true);
    if (!error.empty() || options.scenario.textFile.empty()) {
        std::fprintf(stderr, "instrument_simulator: %s\nusage: %s [--link PATH | --device TTY] --text FILE "
                             "[--limits FILE] [--identity TEXT] [--received FILE] [--baud N] [--stop-after N] "
                             "[--garbage N] [--silent] [--ack-stop-after N] [--close-after N] [--control FILE] [--log FILE]\n",
                     error.empty() ? "--text is required" : error.c_str(), argv[0]);
        return 2;
    }
    if (!options.log.empty() && !(logFile = std::fopen(options.log.c_str(), "w"))) {
        std::fprintf(stderr, "instrument_simulator: cannot write the log '%s'\n", options.log.c_str());
        return 1;
    }
    installStopHandlers();
    Line line;
    if (!openLine(options, line)) {
        std::fprintf(stderr, "instrument_simulator: cannot open the line: %s\n", std::strerror(errno));
        return 1;
    }
    if (!options.link.empty() && !createLink(options.link, line.programPath)) {
        std::fprintf(stderr, "instrument_simulator: cannot create the link '%s'\n", options.link.c_str());
        return 1;
    }
    std::printf("%s\n", line.programPath.c_str());
    std::fflush(stdout);

    while (!stopRequested) {
        const auto request = receiveByte(line, -1);
        if (!request) continue;
        const Scenario scenario = currentScenario(options);
        logLine("request " + requestText(*request) + " " + lineSettingsText(line.settingsSource()));
        if (handleRequest(line, scenario, *request) && !replaceLine(options, line)) return 1;
    }
    if (!options.link.empty()) removeLink(options.link, line.programPath);
    return 0;
}
