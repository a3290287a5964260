// What the fuzz targets share: a failed check ends the run as a finding, one
// store for all inputs (it is too large to make per input), and scratch files
// for the loaders that read and write real files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/measurement_store.h"

inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

inline MeasurementStore& fuzzStore() {
    static MeasurementStore* store = makeStore().release();
    return *store;
}

// A file of this process only, in memory where the machine offers it: the
// targets write one or two files per input.
inline std::filesystem::path scratchFile(const char* suffix) {
    const std::filesystem::path folder =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return folder / ("kalivera-fuzz-" + std::to_string(::getpid()) + suffix);
}

inline void writeBytes(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    require(out.good());
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
