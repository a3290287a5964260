#include "core/atomic_file.h"

#include <atomic>
#include <chrono>
#include <string>
#include <system_error>
#include <utility>

#include "core/atomic_file_platform.h"

namespace {

constexpr int NAME_ATTEMPTS = 64;

// No faults unless a test sets some.
WriteFaults& activeFaults() {
    static WriteFaults faults;
    return faults;
}

// Every write asked of any writer; only ScopedWriteFaults reads it.
std::atomic<int> writesAsked{0};

// A name beside the target that no other writer, in this process or another,
// is likely to pick at the same time; a clash only costs another attempt.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target) {
    static std::atomic<unsigned long long> counter{0};
    const auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long suffix = ticks ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    std::filesystem::path name = target;
    name += ".tmp" + std::to_string(suffix % 100'000'000);
    return name;
}

// Windows refuses to replace a read-only file, but POSIX rename() and
// Wine replace it: the writer refuses it itself, alike everywhere.
bool isReadOnly(const std::filesystem::path& path) {
    using std::filesystem::perms;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    const perms writable = perms::owner_write | perms::group_write | perms::others_write;
    return !error && std::filesystem::exists(status) && (status.permissions() & writable) == perms::none;
}

void removeQuietly(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

ScopedWriteFaults::ScopedWriteFaults(const WriteFaults& faults)
    : previous_(activeFaults()), writesBefore_(writesAsked) {
    activeFaults() = faults;
}

ScopedWriteFaults::~ScopedWriteFaults() { activeFaults() = previous_; }

int ScopedWriteFaults::writes() const { return writesAsked - writesBefore_; }

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target) : target_(std::move(target)) {
    const int attempts = activeFaults().failCreate ? 0 : NAME_ATTEMPTS;
    for (int attempt = 0; attempt < attempts && !file_; ++attempt) {
        temporary_ = temporaryNameFor(target_);
        file_ = createNewFile(temporary_);
    }
    if (!file_) temporary_.clear();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty()) removeQuietly(temporary_);
}

bool AtomicFileWriter::write(const void* data, std::size_t size) {
    ++writesAsked;
    if (!file_ || failed_) return false;
    const bool cutShort = ++writes_ == activeFaults().shortWriteAt;
    const std::size_t count = cutShort ? size / 2 : size;
    const bool complete = count == 0 || std::fwrite(data, 1, count, file_) == count;
    if (!complete || cutShort) failed_ = true;
    return !failed_;
}

bool AtomicFileWriter::commit() {
    if (!file_) return false;
    const bool flushed =
        std::fflush(file_) == 0 && !activeFaults().failFlush && flushToDisk(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    failed_ = failed_ || !flushed || !closed;
    if (!failed_ &&
        (isReadOnly(target_) || activeFaults().failRename || !replaceFile(temporary_, target_))) {
        failed_ = true;
        targetRefused_ = true;
    }
    if (failed_) return false;  // the destructor removes the temporary file
    temporary_.clear();
    return true;
}

bool writeFileAtomically(const std::filesystem::path& target, const void* data, std::size_t size) {
    AtomicFileWriter writer(target);
    return writer.write(data, size) && writer.commit();
}
