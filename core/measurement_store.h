// The program's single body of data and the operations every command uses.
#pragma once

#include <array>
#include <memory>
#include <cstdint>
#include <string_view>

#include "core/records.h"
#include "language/language_table.h"

struct MeasurementStore {
    std::array<ReadingRecord, MAX_RECORDS> readings;
    std::array<LocationRecord, MAX_RECORDS> locationRecords;
    std::uint32_t recordCount;
    char16_t instrumentId[64];
    std::int32_t instrumentKind;          // InstrumentKind
    std::array<std::uint8_t, RAW_TEXT_CAPACITY> rawText;
    std::uint32_t rawTextLength;
    WavelengthSummary wavelengthSummary;
    WavelengthTable wavelengthTable;
    ProtocolForm protocolForm;
    LimitSetTable activeLimitSets;
    LimitSetTable editedLimitSets;
    std::array<std::int32_t, 3> evaluateWavelength;
    LocationNames locationNames;
    double fibreLengthValue;
    double elementLossBudget;
    char16_t currentProtocolPath[1024];
    Configuration configuration;
    LanguageTable language;
    // Transfer buffers of the serial link, kept across a reset: the limit sets
    // of a download, their length, and the answer of the last limit read.
    std::array<std::uint8_t, LIMIT_TEXT_CAPACITY> limitText;
    std::uint32_t limitTextLength;
    std::array<std::uint8_t, LIMIT_TEXT_CAPACITY> limitReplyBuffer;
};

// The store is about 1.2 MB: never on the stack.
std::unique_ptr<MeasurementStore> makeStore();

void resetStore(MeasurementStore& store);
bool hasData(const MeasurementStore& store);
void rebuildWavelengthSummary(MeasurementStore& store);
void registerWavelength(MeasurementStore& store, std::uint32_t wavelength);
void registerSummaryWavelengths(MeasurementStore& store);
double findDbPerKm(const MeasurementStore& store, std::uint32_t wavelength);
void setDbPerKm(MeasurementStore& store, std::uint32_t wavelength, double value);
void clearWavelengthTable(MeasurementStore& store);
void removeWavelength(MeasurementStore& store, std::uint32_t wavelength);
void pruneWavelengthTable(MeasurementStore& store);
void sortWavelengthTable(MeasurementStore& store);
void computeBudget(MeasurementStore& store);

// Name of location 1..9 (empty when none) and storing one, cut to 31 characters.
std::u16string_view locationName(const LocationNames& names, unsigned location);
void setLocationName(LocationNames& names, unsigned location, std::u16string_view name);
