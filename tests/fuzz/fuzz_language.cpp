// Any bytes as a language file: loading must neither crash nor store an
// entry longer than the table allows.
#include "language/language_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

const std::filesystem::path& inputPath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kalivera-fuzz-" + std::to_string(::getpid()) + ".lng");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(inputPath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LanguageTable table;
    const bool loaded = loadLanguageFile(table, inputPath());
    if (loaded != (size > 1 || (size == 1 && data[0] != 0xFF))) {
        std::abort();
    }
    for (const std::u16string& text : table.entries) {
        if (text.size() > LANGUAGE_TEXT_MAX || text.find(u'\0') != std::u16string::npos) {
            std::abort();
        }
    }
    return 0;
}
