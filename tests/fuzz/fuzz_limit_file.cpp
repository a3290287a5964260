// Any bytes as a limit file, loaded over the edited sets as the limit editor
// loads it, then every set shown in the editor's boxes, which store what they
// show. The load replaces exactly the bytes the file holds; showing leaves
// names and thresholds the boxes accept, and showing again changes nothing;
// the table saves as it stands.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "report/value_format.h"
#include "selection/limit_sets.h"

namespace {

// The table before the load: every byte different from its neighbours, so
// that a byte the load should have kept but changed shows.
LimitSetTable previousTable() {
    LimitSetTable table;
    auto* bytes = reinterpret_cast<std::uint8_t*>(table.data());
    for (std::size_t i = 0; i < sizeof table; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return table;
}

std::u16string_view withoutTrailingBlanks(std::u16string_view text) {
    const std::size_t last = text.find_last_not_of(u' ');
    return text.substr(0, last == std::u16string_view::npos ? 0 : last + 1);
}

// One box given a text: its update notice stores the text, its change notice
// cleans it, and a cleaned text put back is stored again. The box's final text.
template <typename Store, typename Filter>
std::u16string giveBox(const std::u16string& text, Store store, Filter filter) {
    store(text);
    const auto cleaned = filter(text, text.size());
    if (!cleaned) return text;
    require(!filter(cleaned->text, cleaned->caret));
    store(cleaned->text);
    return cleaned->text;
}

void showSet(LimitSet& set) {
    const std::u16string name = giveBox(
        limitSetName(set), [&](std::u16string_view text) { storeSetName(set, text); }, filterSetNameText);
    require(limitSetName(set) == withoutTrailingBlanks(name));
    for (std::size_t i = 0; i < THRESHOLDS_PER_SET; ++i) {
        const std::uint8_t high = set.thresholds[2 * i];
        const std::uint8_t low = set.thresholds[2 * i + 1];
        const int word = (high & 0x7F) << 8 | low;
        const int hundredths = high & 0x80 ? -word : word;
        const std::u16string shown = giveBox(
            thresholdText(low, high), [&](std::u16string_view text) { storeThreshold(set, i, text); },
            filterThresholdText);
        require(thresholdText(set.thresholds[2 * i + 1], set.thresholds[2 * i]) == shown);
        // Only the hundredths are lost, and the largest magnitude stays.
        const std::int32_t stored = thresholdValue(shown);
        require(stored - hundredths <= 5 && hundredths - stored <= 5);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path inputFile = scratchFile(".thre");
    static const std::filesystem::path savedFile = scratchFile("-saved.thre");
    static const LimitSetTable before = previousTable();
    writeBytes(inputFile, data, size);

    LimitSetTable table = before;
    require(loadLimitFile(table, inputFile));
    const std::size_t loaded = std::min(size, sizeof table);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(table.data());
    require(std::memcmp(bytes, data, loaded) == 0);
    require(std::memcmp(bytes + loaded, reinterpret_cast<const std::uint8_t*>(before.data()) + loaded,
                        sizeof table - loaded) == 0);

    const LanguageTable language;
    for (std::uint32_t set = 0; set < LIMIT_SETS; ++set) {
        const std::u16string name = limitSetName(table[set]);
        require(name.size() <= SET_NAME_LENGTH && name.find(u'\0') == std::u16string::npos);
        require(!limitSetLabel(language, table, set).empty() || set == 0);
    }
    for (std::uint32_t set = FIRST_EDITED_SET; set <= LAST_EDITED_SET; ++set) {
        showSet(table[set]);
        const LimitSet shown = table[set];
        showSet(table[set]);
        require(std::memcmp(&shown, &table[set], sizeof shown) == 0);
        for (std::uint8_t byte : shown.name) {
            require(byte == ' ' || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'));
        }
    }

    require(saveLimitFile(table, savedFile));
    const std::vector<std::uint8_t> saved = readBytes(savedFile);
    require(saved.size() == sizeof table && std::memcmp(saved.data(), table.data(), sizeof table) == 0);
    return 0;
}
