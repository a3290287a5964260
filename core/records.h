// Fixed-layout records of the measurement store. Several of them are written
// byte for byte into protocol and configuration files, so every size and
// offset is pinned below.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the file formats are little-endian images of these records");
static_assert(sizeof(char16_t) == 2);

// Marks a missing real value in the store and in both files.
inline constexpr double NOT_SET = 1.7e308;
static_assert(std::bit_cast<std::uint64_t>(NOT_SET) == 0x7FEE42D130773B76ull);
static_assert(std::bit_cast<std::uint64_t>(-NOT_SET) == 0xFFEE42D130773B76ull);

inline constexpr std::size_t MAX_RECORDS = 8192;
inline constexpr std::size_t RAW_TEXT_CAPACITY = 172096;
// Receive buffers of the instrument's limit sets (download and limit read).
inline constexpr std::size_t LIMIT_TEXT_CAPACITY = 8192;
inline constexpr std::size_t WAVELENGTH_SLOTS = 256;
inline constexpr std::size_t LIMIT_SETS = 16;
inline constexpr std::size_t LOCATION_NAME_COUNT = 9;

enum InstrumentKind : std::int32_t {
    KIND_NONE = 0,
    KIND_LOSS_METER = 1,
    KIND_ZD615 = 2,
};

enum ReadingState : std::uint32_t {
    STATE_EMPTY = 0,
    STATE_LOADED = 1,
    STATE_A_TO_B = 2,
    STATE_B_TO_A = 3,
};

enum Grade : std::int32_t {
    GRADE_O = 0,
    GRADE_PASS = 1,
    GRADE_WARNING = 2,
    GRADE_FAIL = 3,
    GRADE_NOT_GRADED = 4,
};

// Packed for their exact file layout; the records that hold doubles are
// still aligned to 8 as a whole, so their fields are read aligned.
#pragma pack(push, 1)

struct alignas(8) ReadingRecord {
    double value;            // attenuation in dB (the instrument's value negated)
    std::uint32_t number;
    std::uint32_t subNumber;
    std::uint32_t wavelength;
    std::uint32_t order;     // 1-based position in its direction list, 0 = not selected
    std::uint32_t state;     // ReadingState
    std::uint32_t reserved;
};

struct alignas(8) LocationRecord {
    std::uint32_t olt;
    std::uint32_t ont;
    std::uint32_t location;
    std::uint32_t reserved;
    double power[3];         // dBm at 1310, 1490, 1550 nm; NOT_SET when absent
    char units[16];
    std::int32_t grade[3];   // Grade per wavelength
    std::uint32_t limitSet;  // 0 = none, 1..15 = entry of activeLimitSets
    std::int32_t selected;
    std::int32_t reportMark;
};

struct alignas(8) WavelengthSummaryEntry {
    double sum1;
    std::uint32_t count1;
    std::uint32_t reserved1;
    double sum2;
    std::uint32_t count2;
    std::uint32_t reserved2;
    double sum3;
    std::uint32_t count3;
    std::uint32_t reserved3;
    double max1, max2, max3;
    double min1, min2, min3;
    std::uint32_t wavelength;
    std::uint32_t maxOrder;
};

struct alignas(8) WavelengthSummary {
    std::uint32_t wavelengthCount;
    std::uint32_t maxSelectedOrder;
    std::array<WavelengthSummaryEntry, WAVELENGTH_SLOTS> entries;
};

struct alignas(8) WavelengthEntry {
    std::int32_t wavelength; // -1 = free slot and end of the table
    std::uint32_t reserved;
    double dbPerKm;          // NOT_SET = not entered
};

using WavelengthTable = std::array<WavelengthEntry, WAVELENGTH_SLOTS>;

struct LimitSet {
    std::uint8_t name[12];        // blank-padded 8-bit text, no terminator
    std::uint8_t thresholds[18];  // nine sign-and-magnitude words, high byte first, 0.01 dBm
    std::uint8_t lineEnd[2];
};

using LimitSetTable = std::array<LimitSet, LIMIT_SETS>;

// The job data of the report: fixed UTF-16 text slots, each zero-terminated.
struct ProtocolForm {
    char16_t date[16];
    char16_t measuredBy[128];
    char16_t organisation[128];
    char16_t route[128];
    char16_t section[128];
    char16_t endA[64];
    char16_t endB[64];
    char16_t instrument[32];      // type, one blank, serial number
    char16_t fibreLength[16];
    char16_t spliceCount[16];
    char16_t spliceLimit[16];
    char16_t connectorCount[16];
    char16_t connectorLimit[16];
    char16_t splitterCount[16];
    char16_t splitterLimit[16];
};

// Names of ZD615 locations 1 to 9: two reserved units, then nine slots of
// 36 units. The block stops two units short of the ninth slot's end, which
// never cuts a name (31 characters and the terminator take 32 units).
struct LocationNames {
    char16_t units[324];
};
inline constexpr std::size_t LOCATION_NAME_SLOT_UNITS = 36;
inline constexpr std::size_t LOCATION_NAME_MAX = 31;

inline constexpr std::uint32_t CONFIG_MAGIC = 0xAA551234u;

struct alignas(8) Configuration {
    std::uint32_t portNumber;
    std::uint32_t baudIndex;
    std::uint32_t dataBitsIndex;
    std::uint32_t parityIndex;
    std::uint32_t stopBitsIndex;
    std::uint32_t flowControlIndex;
    ProtocolForm defaultForm;
    WavelengthTable defaultWavelengthTable;
    char16_t languageFile[1024];
    std::uint32_t configMagic;
    std::uint32_t reserved;
};

#pragma pack(pop)

static_assert(sizeof(ReadingRecord) == 32);
static_assert(offsetof(ReadingRecord, value) == 0);
static_assert(offsetof(ReadingRecord, number) == 8);
static_assert(offsetof(ReadingRecord, subNumber) == 12);
static_assert(offsetof(ReadingRecord, wavelength) == 16);
static_assert(offsetof(ReadingRecord, order) == 20);
static_assert(offsetof(ReadingRecord, state) == 24);

static_assert(sizeof(LocationRecord) == 80);
static_assert(offsetof(LocationRecord, location) == 8);
static_assert(offsetof(LocationRecord, power) == 16);
static_assert(offsetof(LocationRecord, units) == 40);
static_assert(offsetof(LocationRecord, grade) == 56);
static_assert(offsetof(LocationRecord, limitSet) == 68);
static_assert(offsetof(LocationRecord, selected) == 72);
static_assert(offsetof(LocationRecord, reportMark) == 76);

static_assert(sizeof(WavelengthSummaryEntry) == 104);
static_assert(offsetof(WavelengthSummaryEntry, sum2) == 16);
static_assert(offsetof(WavelengthSummaryEntry, sum3) == 32);
static_assert(offsetof(WavelengthSummaryEntry, max1) == 48);
static_assert(offsetof(WavelengthSummaryEntry, min1) == 72);
static_assert(offsetof(WavelengthSummaryEntry, wavelength) == 96);
static_assert(offsetof(WavelengthSummaryEntry, maxOrder) == 100);
static_assert(sizeof(WavelengthSummary) == 8 + 256 * 104);

static_assert(sizeof(WavelengthEntry) == 16);
static_assert(offsetof(WavelengthEntry, dbPerKm) == 8);
static_assert(sizeof(WavelengthTable) == 4096);

static_assert(sizeof(LimitSet) == 32);
static_assert(offsetof(LimitSet, thresholds) == 12);
static_assert(offsetof(LimitSet, lineEnd) == 30);
static_assert(sizeof(LimitSetTable) == 512);

static_assert(sizeof(ProtocolForm) == 1600);
static_assert(offsetof(ProtocolForm, measuredBy) == 32);
static_assert(offsetof(ProtocolForm, organisation) == 288);
static_assert(offsetof(ProtocolForm, route) == 544);
static_assert(offsetof(ProtocolForm, section) == 800);
static_assert(offsetof(ProtocolForm, endA) == 1056);
static_assert(offsetof(ProtocolForm, endB) == 1184);
static_assert(offsetof(ProtocolForm, instrument) == 1312);
static_assert(offsetof(ProtocolForm, fibreLength) == 1376);
static_assert(offsetof(ProtocolForm, spliceCount) == 1408);
static_assert(offsetof(ProtocolForm, spliceLimit) == 1440);
static_assert(offsetof(ProtocolForm, connectorCount) == 1472);
static_assert(offsetof(ProtocolForm, connectorLimit) == 1504);
static_assert(offsetof(ProtocolForm, splitterCount) == 1536);
static_assert(offsetof(ProtocolForm, splitterLimit) == 1568);

static_assert(sizeof(LocationNames) == 648);

static_assert(sizeof(Configuration) == 7776);
static_assert(offsetof(Configuration, baudIndex) == 4);
static_assert(offsetof(Configuration, flowControlIndex) == 20);
static_assert(offsetof(Configuration, defaultForm) == 24);
static_assert(offsetof(Configuration, defaultWavelengthTable) == 1624);
static_assert(offsetof(Configuration, languageFile) == 5720);
static_assert(offsetof(Configuration, configMagic) == 7768);
static_assert(offsetof(Configuration, reserved) == 7772);
