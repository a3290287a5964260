#include "language/language_table.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "core/number_text.h"
#include "language/text_ids.h"

namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';
constexpr std::size_t MAX_NUMBER_DIGITS = 15;

// Entries 0, 113 and 140 name files (report templates, the manual), so the
// translator's number display must never touch them.
bool isFileNameEntry(std::size_t number) {
    return number == TEXT_LOSS_TEMPLATE_FILE || number == TEXT_ZD615_TEMPLATE_FILE ||
           number == TEXT_MANUAL_FILE;
}

void setPlaceholders(LanguageTable& table) {
    for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
        table.entries[number] = u"TRANSLATE IT!!!(" + integerText(number) + u")";
    }
}

// The whole file, or nothing when it cannot be opened. A read error keeps
// what was read before it, which then simply ends the file early.
std::optional<std::string> readWholeFile(const std::filesystem::path& name) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        return std::nullopt;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[1 << 16];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    return bytes;
}

// UTF-16LE units over the file's bytes; an odd last byte is no unit and
// counts as the end of the file.
class UnitReader {
public:
    UnitReader(const std::string& bytes, std::size_t start) : bytes_(bytes), position_(start) {}

    bool next(char16_t& unit) {
        if (!peek(unit)) {
            return false;
        }
        position_ += 2;
        return true;
    }

    bool peek(char16_t& unit) const {
        if (bytes_.size() - position_ < 2) {
            return false;
        }
        const auto low = static_cast<unsigned char>(bytes_[position_]);
        const auto high = static_cast<unsigned char>(bytes_[position_ + 1]);
        unit = static_cast<char16_t>(low | (high << 8));
        return true;
    }

private:
    const std::string& bytes_;
    std::size_t position_;
};

bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

struct Entry {
    std::uint64_t number;
    std::u16string text;
};

// Skips to the first digit of the next entry; a '/' there opens a comment
// that runs to the next CR. False at the end of the file.
bool skipToNumber(UnitReader& reader, char16_t& firstDigit) {
    char16_t unit;
    while (reader.next(unit)) {
        if (isDigit(unit)) {
            firstDigit = unit;
            return true;
        }
        if (unit == u'/') {
            do {
                if (!reader.next(unit)) {
                    return false;
                }
            } while (unit != CR);
        }
    }
    return false;
}

// Digits up to the '-'. Anything else, a 16th digit or the end of the file
// ends the reading of the file.
std::optional<std::uint64_t> readNumber(UnitReader& reader, char16_t firstDigit) {
    std::uint64_t number = static_cast<std::uint64_t>(firstDigit - u'0');
    std::size_t digits = 1;
    char16_t unit;
    while (reader.next(unit)) {
        if (unit == u'-') {
            return number;
        }
        if (!isDigit(unit) || ++digits > MAX_NUMBER_DIGITS) {
            return std::nullopt;
        }
        number = number * 10 + static_cast<std::uint64_t>(unit - u'0');
    }
    return std::nullopt;
}

// The text up to the line end (or the end of the file), and the run of CR
// and LF after it. A text longer than an entry can hold ends the reading.
std::optional<std::u16string> readText(UnitReader& reader) {
    std::u16string text;
    char16_t unit;
    while (reader.next(unit) && unit != CR && unit != LF) {
        if (text.size() == LANGUAGE_TEXT_MAX) {
            return std::nullopt;
        }
        text.push_back(unit);
    }
    while (reader.peek(unit) && (unit == CR || unit == LF)) {
        reader.next(unit);
    }
    // Every user takes an entry as a zero-terminated text.
    const std::size_t terminator = text.find(u'\0');
    if (terminator != std::u16string::npos) {
        text.resize(terminator);
    }
    return text;
}

std::optional<Entry> readEntry(UnitReader& reader) {
    char16_t firstDigit;
    if (!skipToNumber(reader, firstDigit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> number = readNumber(reader, firstDigit);
    if (!number) {
        return std::nullopt;
    }
    std::optional<std::u16string> text = readText(reader);
    if (!text) {
        return std::nullopt;
    }
    return Entry{*number, std::move(*text)};
}

// The translator's aid: the entry's number behind its text.
std::u16string withNumber(const std::u16string& text, std::size_t number) {
    std::u16string numbered = text + u"(" + integerText(number) + u")";
    numbered.resize(std::min(numbered.size(), LANGUAGE_TEXT_MAX));
    return numbered;
}

}  // namespace

bool loadLanguageFile(LanguageTable& table, const std::filesystem::path& name) {
    const std::optional<std::string> bytes = readWholeFile(name);
    if (!bytes) {
        return false;
    }
    setPlaceholders(table);
    if (bytes->empty()) {
        return false;
    }
    std::size_t start = 0;
    if (static_cast<unsigned char>((*bytes)[0]) == 0xFF) {
        if (bytes->size() < 2) {
            return false;
        }
        start = 2;  // byte-order mark
    }

    UnitReader reader(*bytes, start);
    bool displayNumbers = false;
    while (std::optional<Entry> entry = readEntry(reader)) {
        // Numbers beyond the table, also those too large for 32 bits,
        // switch the number display on for every later entry.
        if (entry->number >= LANGUAGE_ENTRIES) {
            displayNumbers = true;
            continue;
        }
        const auto number = static_cast<std::size_t>(entry->number);
        table.entries[number] = displayNumbers && !isFileNameEntry(number)
                                    ? withNumber(entry->text, number)
                                    : std::move(entry->text);
    }
    return true;
}
