#include "core/working_folder.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <system_error>

#include "core/atomic_file.h"

namespace fs = std::filesystem;

namespace {

// Windows names are compared without regard to case: "CZECH.LNG" counts.
bool hasLanguageFileExtension(const fs::path& file) {
    const fs::path::string_type extension = file.extension().native();
    constexpr std::string_view wanted = ".lng";
    return extension.size() == wanted.size() &&
           std::equal(extension.begin(), extension.end(), wanted.begin(), [](auto a, char b) {
               return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
           });
}

// Through a temporary file, so that an interrupted copy leaves no part of a
// file that a later start would take for the user's own.
bool copyWhole(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    AtomicFileWriter writer(to);
    if (!writer.isOpen()) return false;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        if (!writer.write(chunk, static_cast<std::size_t>(in.gcount()))) return false;
    }
    return !in.bad() && writer.commit();
}

bool copyIfMissing(const fs::path& from, const fs::path& to) {
    std::error_code error;
    if (fs::exists(to, error)) return true;
    fs::create_directories(to.parent_path(), error);
    return !error && copyWhole(from, to);
}

}  // namespace

bool isWorkingFolder(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code unreadable;
        if (hasLanguageFileExtension(entry->path()) && entry->is_regular_file(unreadable)) return true;
    }
    return false;
}

std::optional<fs::path> copyMissingFiles(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::create_directories(to, error);
    if (error) return from;
    std::optional<fs::path> uncopied;
    fs::recursive_directory_iterator entry(from, error);
    for (const fs::recursive_directory_iterator end; !error && entry != end; entry.increment(error)) {
        std::error_code unreadable;
        if (!entry->is_regular_file(unreadable)) continue;
        const fs::path target = to / entry->path().lexically_relative(from);
        if (!copyIfMissing(entry->path(), target) && !uncopied) uncopied = entry->path();
    }
    // A folder that cannot be read hides files that were not copied.
    if (error && !uncopied) uncopied = from;
    return uncopied;
}

WorkingFolderChoice chooseWorkingFolder(const fs::path& current, const fs::path& programFolder,
                                        const fs::path& userFolder) {
    const fs::path shipped = programFolder / SHIPPED_FILES_FOLDER;
    std::error_code error;
    if (isWorkingFolder(current) || !fs::is_directory(shipped, error)) return {current, {}};
    return {userFolder, copyMissingFiles(shipped, userFolder)};
}
