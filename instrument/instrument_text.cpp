#include "instrument/instrument_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "core/fixed_text.h"
#include "core/instrument_kind.h"
#include "core/number_text.h"

namespace {

constexpr std::size_t MAX_FIELDS = 11;
// A field may hold 6 characters; the 7th is kept only to be refused.
constexpr std::size_t FIELD_CAPACITY = 7;
constexpr std::size_t HEADER_MAX = 63;
constexpr std::size_t UNITS_MAX = 6;
constexpr std::u16string_view ZD615_MODEL = u"ZD615";

enum ByteClass : std::uint8_t { OTHER, BLANK, LINE_END, START };

constexpr std::array<ByteClass, 256> makeByteClasses() {
    std::array<ByteClass, 256> classes{};
    classes[' '] = BLANK;
    classes['\t'] = BLANK;
    classes['\r'] = LINE_END;
    classes['\n'] = LINE_END;
    for (int c = '0'; c <= '9'; ++c) classes[c] = START;
    for (int c = 'A'; c <= 'Z'; ++c) classes[c] = START;
    for (int c = 'a'; c <= 'z'; ++c) classes[c] = START;
    return classes;
}
constexpr std::array<ByteClass, 256> BYTE_CLASSES = makeByteClasses();

ByteClass classOf(std::uint8_t byte) { return BYTE_CLASSES[byte]; }

// The text being scanned: the bytes and the position of the scanner.
struct Cursor {
    const std::uint8_t* bytes;
    std::size_t end;
    std::size_t at = 0;

    bool done() const { return at >= end; }
    std::uint8_t byte() const { return bytes[at]; }
    void skipRun(ByteClass kind) {
        while (at < end && classOf(bytes[at]) == kind) ++at;
    }
};

// One data line: up to eleven fields of fixed-size buffers, so scanning a
// text never allocates.
struct DataLine {
    std::array<std::array<char, FIELD_CAPACITY>, MAX_FIELDS> text;
    std::array<std::uint8_t, MAX_FIELDS> length{};
    std::size_t index = 0;  // field being filled; the line has index + 1 fields

    std::size_t fieldCount() const { return index + 1; }
    std::string_view field(std::size_t i) const { return {text[i].data(), length[i]}; }
    bool full() const { return index >= MAX_FIELDS || length[index] >= FIELD_CAPACITY; }
    void append(std::uint8_t byte) { text[index][length[index]++] = static_cast<char>(byte); }
    void set(std::size_t i, char c) {
        text[i][0] = c;
        length[i] = 1;
    }
    void clear() {
        length.fill(0);
        index = 0;
    }
};

bool isNumericCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',';
}

// A numeric field is not empty and holds only numeric characters; its
// decimal commas become points so that the conversions read them.
bool makeNumeric(DataLine& line, std::size_t i) {
    if (line.length[i] == 0) return false;
    char* text = line.text[i].data();
    for (std::size_t k = 0; k < line.length[i]; ++k) {
        if (!isNumericCharacter(text[k])) return false;
        if (text[k] == ',') text[k] = '.';
    }
    return true;
}

std::uint32_t integerField(const DataLine& line, std::size_t i) {
    return static_cast<std::uint32_t>(parseInteger(line.field(i)));
}

// Processes one loss-meter line; false rejects the whole text.
bool storeLossMeterLine(MeasurementStore& store, DataLine& line, bool& positiveValues) {
    for (std::size_t i = 0; i < line.fieldCount(); ++i) {
        if (!makeNumeric(line, i)) return false;
    }
    // Signed comparison: a negative label number passes.
    const std::int64_t number = parseInteger(line.field(0));
    const std::int64_t subNumber = parseInteger(line.field(1));
    if (number >= 256 || subNumber >= 256) return false;
    const std::uint32_t wavelength = integerField(line, 2);
    const double value = parseDecimal(line.field(3));
    if (store.recordCount >= MAX_RECORDS) return false;
    if (line.length[4] == 0) return true;  // fewer than five fields: skipped

    ReadingRecord& reading = store.readings[store.recordCount];
    reading.value = -value;
    reading.number = static_cast<std::uint32_t>(number);
    reading.subNumber = static_cast<std::uint32_t>(subNumber);
    reading.wavelength = wavelength;
    reading.state = STATE_LOADED;
    if (value > 0.0) positiveValues = true;
    ++store.recordCount;
    return true;
}

int gradeOfLetter(char letter) {
    switch (letter) {
        case 'O': return GRADE_O;
        case 'P': return GRADE_PASS;
        case 'W': return GRADE_WARNING;
        case 'F': return GRADE_FAIL;
        default: return -1;
    }
}

bool isGradeField(DataLine& line, std::size_t i) {
    if (line.length[i] != 1) return false;
    char& letter = line.text[i][0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return gradeOfLetter(letter) >= 0;
}

double powerField(const DataLine& line, std::size_t i) {
    return line.field(i) == "----" ? NOT_SET : parseDecimal(line.field(i));
}

// Field indices of a ZD615 line.
enum : std::size_t { F_OLT, F_ONT, F_LOCATION, F_POWER, F_UNITS = 6, F_GRADE = 7, F_LIMIT_SET = 10 };

// Processes one ZD615 line; false rejects the whole text.
bool storeZd615Line(MeasurementStore& store, DataLine& line) {
    if (line.fieldCount() == 7) {
        for (std::size_t i = F_GRADE; i < F_GRADE + 3; ++i) line.set(i, 'O');
        line.set(F_LIMIT_SET, '0');
    } else if (line.fieldCount() != MAX_FIELDS) {
        return false;
    }
    for (std::size_t i = F_OLT; i < F_UNITS; ++i) {
        if (!makeNumeric(line, i)) return false;
    }
    for (std::size_t i = F_GRADE; i < F_GRADE + 3; ++i) {
        if (!isGradeField(line, i)) return false;
    }
    if (!makeNumeric(line, F_LIMIT_SET)) return false;
    if (store.recordCount >= MAX_RECORDS) return false;

    LocationRecord& record = store.locationRecords[store.recordCount];
    record.olt = integerField(line, F_OLT);
    record.ont = integerField(line, F_ONT);
    record.location = integerField(line, F_LOCATION);
    for (std::size_t k = 0; k < 3; ++k) {
        record.power[k] = powerField(line, F_POWER + k);
        record.grade[k] = gradeOfLetter(line.text[F_GRADE + k][0]);
    }
    std::memcpy(record.units, line.text[F_UNITS].data(),
                std::min<std::size_t>(line.length[F_UNITS], UNITS_MAX));
    record.limitSet = integerField(line, F_LIMIT_SET);
    if (record.limitSet == 0) std::fill_n(record.grade, 3, GRADE_NOT_GRADED);
    ++store.recordCount;
    return true;
}

// The identification line: words joined by single spaces. The model name is
// the text before the last run of blanks, or the whole line without one.
struct Header {
    std::array<char16_t, HEADER_MAX> text;
    std::size_t length = 0;
    std::size_t modelLength = 0;
    bool blankSeen = false;

    std::u16string_view all() const { return {text.data(), length}; }
    std::u16string_view model() const { return {text.data(), blankSeen ? modelLength : length}; }
    bool append(char16_t c) {
        if (length >= HEADER_MAX) return false;
        text[length++] = c;
        return true;
    }
};

enum class HeaderScan { Read, TooLong, Missing };

// Seeks the first start character and reads the identification line up to
// its line end (or the end of the text) and the run of line ends after it.
HeaderScan scanHeader(Cursor& cursor, Header& header) {
    while (!cursor.done() && classOf(cursor.byte()) != START) ++cursor.at;
    if (cursor.done()) return HeaderScan::Missing;
    while (!cursor.done()) {
        const std::uint8_t byte = cursor.byte();
        switch (classOf(byte)) {
            case BLANK:
                cursor.skipRun(BLANK);
                header.modelLength = header.length;
                header.blankSeen = true;
                if (!header.append(u' ')) return HeaderScan::TooLong;
                break;
            case LINE_END:
                cursor.skipRun(LINE_END);
                return HeaderScan::Read;
            default:
                // Bytes above 0x7F become the characters of the same code.
                if (!header.append(static_cast<char16_t>(byte))) return HeaderScan::TooLong;
                ++cursor.at;
                break;
        }
    }
    return HeaderScan::Read;
}

// Scans the data lines; false rejects the text.
bool scanDataLines(MeasurementStore& store, Cursor& cursor, bool zd615Layout,
                   bool& positiveValues) {
    DataLine line;
    while (!cursor.done()) {
        // The appended line end follows every field, so an overlong field or
        // a twelfth field always meets this check.
        if (line.full()) return false;
        const std::uint8_t byte = cursor.byte();
        switch (classOf(byte)) {
            case LINE_END: {
                cursor.skipRun(LINE_END);
                const bool stored = zd615Layout ? storeZd615Line(store, line)
                                                : storeLossMeterLine(store, line, positiveValues);
                if (!stored) return false;
                line.clear();
                break;
            }
            case BLANK:
                cursor.skipRun(BLANK);
                ++line.index;
                break;
            default:
                line.append(byte);
                ++cursor.at;
                break;
        }
    }
    return true;
}

void clearParsedRecords(MeasurementStore& store) {
    std::fill(std::begin(store.instrumentId), std::end(store.instrumentId), u'\0');
    store.instrumentKind = KIND_NONE;
    std::memset(store.readings.data(), 0, sizeof store.readings);
    std::memset(store.locationRecords.data(), 0, sizeof store.locationRecords);
    store.recordCount = 0;
}

}  // namespace

ParseResult parseInstrumentText(MeasurementStore& store, ParseMode mode) {
    const bool full = mode == ParseMode::Full;
    const std::uint32_t limit = full ? MAX_INSTRUMENT_TEXT_LENGTH : RAW_TEXT_CAPACITY;
    if (store.rawTextLength < MIN_INSTRUMENT_TEXT_LENGTH || store.rawTextLength > limit) return {};

    clearParsedRecords(store);
    if (full) store.rawText[store.rawTextLength++] = '\n';
    // In header-only mode the end of the text ends the identification line.
    Cursor cursor{store.rawText.data(), store.rawTextLength};

    Header header;
    const HeaderScan scan = scanHeader(cursor, header);
    setSlotText(store.instrumentId, header.all());
    if (scan == HeaderScan::TooLong) return {};
    if (scan == HeaderScan::Missing && !full) return {};

    const bool zd615Layout = header.model() == ZD615_MODEL;
    if (!full) {
        settleInstrumentKind(store, zd615Layout, slotText(store.instrumentId));
        return {true, false};
    }

    bool positiveValues = false;
    if (!scanDataLines(store, cursor, zd615Layout, positiveValues)) {
        resetStore(store);
        return {};
    }
    rebuildWavelengthSummary(store);
    registerSummaryWavelengths(store);
    pruneWavelengthTable(store);
    settleInstrumentKind(store, zd615Layout, slotText(store.instrumentId));
    return {true, positiveValues};
}
