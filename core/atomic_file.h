// Writes a file through a temporary file in the same folder that replaces
// the target only when complete, so a failed write never destroys the
// previous file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>

// Faults the tests make every AtomicFileWriter meet while a ScopedWriteFaults
// lives: the Nth write (counted from 1 per writer) writes only half its bytes,
// the flush to disk fails, the rename over the target fails, or the temporary
// file cannot be created. Nothing else sets them.
struct WriteFaults {
    int shortWriteAt = 0;  // 0: no short write
    bool failFlush = false;
    bool failRename = false;
    bool failCreate = false;
};

class ScopedWriteFaults {
public:
    explicit ScopedWriteFaults(const WriteFaults& faults);
    ~ScopedWriteFaults();
    ScopedWriteFaults(const ScopedWriteFaults&) = delete;
    ScopedWriteFaults& operator=(const ScopedWriteFaults&) = delete;

    // The writes all writers were asked for since this began, so a test can
    // aim a short write anywhere in a file written in many pieces.
    int writes() const;

private:
    WriteFaults previous_;
    int writesBefore_;
};

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
    int writes_ = 0;
    bool failed_ = false;
    bool targetRefused_ = false;
};

// Renames source over target, replacing an existing target (platform specific).
bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target);

// Whole file in one go through AtomicFileWriter.
bool writeFileAtomically(const std::filesystem::path& target, const void* data, std::size_t size);
