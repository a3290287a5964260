// Reading the start of a file into a caller's fixed buffer.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

// Reads at most `capacity` bytes from the start of the file into `buffer`
// (others may read the file meanwhile). The number of bytes read, or nothing
// when the file cannot be opened or a read fails.
std::optional<std::size_t> readFileStart(const std::filesystem::path& file, void* buffer,
                                         std::size_t capacity);
