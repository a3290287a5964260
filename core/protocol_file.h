// Protocol files ("opr"): the form, the wavelength table, the records, the
// raw instrument text and, for ZD615 data, the location names, limit sets and
// evaluation switches, as byte images of the store in a fixed order, closed
// by an additive checksum. Version 01.10 carries loss-meter readings,
// version 02.10 ZD615 location records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "core/measurement_store.h"

inline constexpr std::size_t PROTOCOL_MAGIC_SIZE = 28;  // 27 characters and a zero byte
inline constexpr char PROTOCOL_MAGIC_LOSS_METER[] = "MERAVOX PROTOCOL FILE 01.10";
inline constexpr char PROTOCOL_MAGIC_ZD615[] = "MERAVOX PROTOCOL FILE 02.10";
static_assert(sizeof(PROTOCOL_MAGIC_LOSS_METER) == PROTOCOL_MAGIC_SIZE);
static_assert(sizeof(PROTOCOL_MAGIC_ZD615) == PROTOCOL_MAGIC_SIZE);

inline constexpr std::uint32_t PROTOCOL_CHECKSUM_START = 0xAA551234u;

enum class ProtocolVersion {
    LossMeter,  // "01.10": 32-byte readings
    Zd615,      // "02.10": 80-byte location records, then names, limit sets, switches
};

// The version a store is saved as: 02.10 for instrument kind 2, else 01.10.
ProtocolVersion protocolVersionOf(const MeasurementStore& store);

inline constexpr std::size_t PROTOCOL_FORM_BLOCK_SIZE = sizeof(ProtocolForm) + sizeof(WavelengthTable);
inline constexpr std::size_t PROTOCOL_ZD615_TAIL_SIZE =
    sizeof(LocationNames) + sizeof(LimitSetTable) + 3 * sizeof(std::int32_t);

constexpr std::size_t protocolRecordSize(ProtocolVersion version) {
    return version == ProtocolVersion::Zd615 ? sizeof(LocationRecord) : sizeof(ReadingRecord);
}

// Length of a file with the given records and raw text.
constexpr std::size_t protocolFileSize(ProtocolVersion version, std::size_t records,
                                       std::size_t rawTextLength) {
    const std::size_t tail = version == ProtocolVersion::Zd615 ? PROTOCOL_ZD615_TAIL_SIZE : 0;
    return PROTOCOL_MAGIC_SIZE + PROTOCOL_FORM_BLOCK_SIZE + 4 + records * protocolRecordSize(version) +
           4 + rawTextLength + tail + 4;
}

inline constexpr std::size_t MAX_PROTOCOL_FILE_SIZE =
    protocolFileSize(ProtocolVersion::Zd615, MAX_RECORDS, RAW_TEXT_CAPACITY);
static_assert(protocolFileSize(ProtocolVersion::LossMeter, 0, 0) == 5736);
static_assert(protocolFileSize(ProtocolVersion::Zd615, 0, 0) == 6908);
static_assert(MAX_PROTOCOL_FILE_SIZE == 834364);

// The checksum of the bytes before the checksum word: from
// PROTOCOL_CHECKSUM_START, every byte added as a signed 8-bit value, modulo 2^32.
std::uint32_t protocolChecksum(std::span<const std::uint8_t> items);

// The file's bytes for the store as it stands. Saving rebuilds the summary,
// reads the form and computes the budget before this.
std::vector<std::uint8_t> protocolImage(const MeasurementStore& store);

// Writes the image through a temporary file renamed over the target, so a
// failed save leaves the previous file intact.
bool writeProtocolFile(const MeasurementStore& store, const std::filesystem::path& file);

// Reads a protocol image into the store, starting from resetStore.
// Success: the wavelength summary is rebuilt and instrumentKind is 2 for
// version 02.10, otherwise the kind of the form's instrument type word but
// never 2. Failure (wrong magic, truncation, more than 8192 records, a raw
// text above 172096 bytes, a checksum mismatch): the store is reset again,
// and protocolForm, wavelengthTable and locationNames keep the bytes that
// had been read into them. Bytes after the checksum are ignored.
bool readProtocolImage(MeasurementStore& store, std::span<const std::uint8_t> bytes);

enum class ProtocolOpen {
    Opened,      // currentProtocolPath names the file
    Unreadable,  // the file could not be read: the store is reset, protocolForm untouched
    Invalid,     // not a valid protocol: as readProtocolImage leaves a failure
};

// Opens a protocol file as the program does: the store is reset, the path
// goes into currentProtocolPath and the file is read with readProtocolImage.
// After any failure currentProtocolPath is empty, so that a later Save asks
// for a name instead of overwriting the file that could not be opened.
// Showing the form and the menus is the window's.
ProtocolOpen openProtocolFile(MeasurementStore& store, const std::filesystem::path& file);
// The same, true when Opened.
bool readProtocolFile(MeasurementStore& store, const std::filesystem::path& file);
