// The folder the program works in. It looks its files (language files,
// templates, the manual, "Kalivera.cfg") up in the working directory, so an
// installed program, whose own folder is read-only, works in a folder of the
// user's that is filled from the files it ships.
#pragma once

#include <filesystem>
#include <optional>

// The folder, beside the installed program, that holds the files it ships.
inline constexpr char16_t SHIPPED_FILES_FOLDER[] = u"defaults";

// A folder the program can work in holds at least one language file ("*.lng").
bool isWorkingFolder(const std::filesystem::path& folder);

// Copies every file under `from` (subfolders included) that `to` lacks;
// whatever `to` already holds stays as it is. Each file appears whole or not
// at all. The first file that could not be copied, if any; the others are
// still copied.
std::optional<std::filesystem::path> copyMissingFiles(const std::filesystem::path& from,
                                                      const std::filesystem::path& to);

struct WorkingFolderChoice {
    std::filesystem::path folder;
    // A shipped file that could not be copied into the folder.
    std::optional<std::filesystem::path> uncopied;
};

// The current folder when the program can work there, or when the program
// ships no files (it is then not installed, and reports the missing files
// itself). Otherwise the program is installed: the user's folder, created
// and given every shipped file it lacks.
WorkingFolderChoice chooseWorkingFolder(const std::filesystem::path& current,
                                        const std::filesystem::path& programFolder,
                                        const std::filesystem::path& userFolder);
