// The table of 147 numbered texts that every message, caption and label,
// and the names of templates and the manual, are taken from.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

inline constexpr std::size_t LANGUAGE_ENTRIES = 147;
inline constexpr std::size_t LANGUAGE_TEXT_MAX = 127;

struct LanguageTable {
    std::array<std::u16string, LANGUAGE_ENTRIES> entries;

    const std::u16string& text(std::size_t number) const { return entries.at(number); }
};

// Reads a language file into the table. False when the file cannot be
// opened (table unchanged) or its first byte cannot be read (placeholders).
bool loadLanguageFile(LanguageTable& table, const std::filesystem::path& name);
