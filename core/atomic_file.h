// Writes a file through a temporary file in the same folder that replaces
// the target only when complete, so a failed write never destroys the
// previous file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter();  // discards the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // False when fewer bytes than asked were written; later writes then fail too.
    bool write(const void* data, std::size_t size);
    // Closes the temporary file and renames it over the target.
    bool commit();
    // After a failed commit: everything was written, but the existing target
    // could not be replaced (read-only, or held open by another program).
    bool targetRefused() const { return targetRefused_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool targetRefused_ = false;
};

// Renames source over target, replacing an existing target (platform specific).
bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target);

// Whole file in one go through AtomicFileWriter.
bool writeFileAtomically(const std::filesystem::path& target, const void* data, std::size_t size);
