// The port settings dialog's scan: COM1 to COM99 are opened one after the
// other with the configured settings and asked to identify themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "instrument/serial_port.h"

inline constexpr std::uint32_t SCANNED_PORTS = 99;

struct ScannedPort {
    std::uint32_t portNumber;  // zero-based
    std::string answer;        // cleaned identification, at most 31 bytes; may be empty
};

// Probes every port in ascending order and lists those that opened. When the
// configured port is missing, configuration.portNumber becomes the first port
// above it that opened (it stays so even if the dialog is cancelled).
std::vector<ScannedPort> scanPorts(Configuration& configuration, const PortOpener& openPort);

// An identification answer as listed: of two or more bytes every byte that is
// not an ASCII letter or digit becomes a blank; a single byte stays as it is.
std::string cleanIdentification(const std::uint8_t* bytes, std::size_t count);
