#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/atomic_file.h"
#include "core/atomic_file_platform.h"

std::FILE* createNewFile(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) ::close(descriptor);
    return file;
}

bool flushToDisk(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    return std::rename(source.c_str(), target.c_str()) == 0;
}
