// A full disk for the tests of failed writes: while a FileSizeLimit lives,
// writes of this process past the given size fail instead of raising
// SIGXFSZ. Windows has no such per-process limit.
#pragma once

#include <cstddef>

#include <gtest/gtest.h>

#ifdef _WIN32
#define SKIP_WITHOUT_FILE_SIZE_LIMIT() \
    GTEST_SKIP() << "Windows has no per-process file size limit to simulate a full disk"

// Only named: the tests that need a limit skip before they make one.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t) {}
};
#else
#define SKIP_WITHOUT_FILE_SIZE_LIMIT() static_cast<void>(0)

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes) {
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved_), 0);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};
#endif
