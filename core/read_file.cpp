#include "core/read_file.h"

#include <fstream>

std::optional<std::size_t> readFileStart(const std::filesystem::path& file, void* buffer,
                                         std::size_t capacity) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    stream.read(static_cast<char*>(buffer), static_cast<std::streamsize>(capacity));
    if (stream.bad()) return std::nullopt;
    return static_cast<std::size_t>(stream.gcount());
}
