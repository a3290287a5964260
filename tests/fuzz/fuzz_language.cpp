// Any bytes as a language file: loading must neither crash nor store an
// entry longer than the table allows.
#include "language/language_table.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path inputFile = scratchFile(".lng");
    writeBytes(inputFile, data, size);
    LanguageTable table;
    const bool loaded = loadLanguageFile(table, inputFile);
    require(loaded == (size > 1 || (size == 1 && data[0] != 0xFF)));
    for (const std::u16string& text : table.entries) {
        require(text.size() <= LANGUAGE_TEXT_MAX && text.find(u'\0') == std::u16string::npos);
    }
    return 0;
}
