// Every file the program writes, on a folder it may not write into and on a
// disk that is full: the write fails as the window expects, and the previous
// file, the folder and the store stay as they were.
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../file_kinds.h"
#include "../report_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace file_kinds;

class RealWriteFaultTest : public ReportFixture {
protected:
    std::vector<fs::path> entries(const fs::path& where) const {
        std::vector<fs::path> names{fs::directory_iterator(where), fs::directory_iterator()};
        std::sort(names.begin(), names.end());
        return names;
    }

    // Writes version 1 of the kind's file into where, runs breakFolder, then
    // writes version 2 and checks that it failed with the given fault's
    // result and changed nothing.
    template <typename BreakFolder>
    void expectFailedWrite(const FileKind& kind, const fs::path& where, Fault fault,
                           BreakFolder breakFolder) {
        SCOPED_TRACE(kind.name);
        const fs::path file = where / kind.fileName;
        changeStore(*store, 1);
        ASSERT_EQ(kind.write(*store, where, file), "written");
        const std::string previous = contents(file);
        changeStore(*store, 2);
        breakFolder();
        const std::vector<std::uint8_t> storeBefore = storeBytes(*store);
        const std::vector<fs::path> entriesBefore = entries(where);

        EXPECT_EQ(kind.write(*store, where, file), kind.failure[fault]);
        EXPECT_EQ(contents(file), previous);
        EXPECT_EQ(entries(where), entriesBefore);
        EXPECT_EQ(storeBytes(*store), storeBefore);
    }
};

// A small tmpfs of its own, mounted while it lives.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : where_(where) {
        fs::create_directory(where_);
        mounted_ = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

    // Mounts the disk again read-only: nothing can be created or changed on
    // it, by root either.
    void makeReadOnly() const {
        ASSERT_EQ(::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0)
            << std::strerror(errno);
    }

    // Fills what is left of the disk with one file.
    void fill() const {
        std::FILE* filler = std::fopen((where_ / "filler").c_str(), "wb");
        ASSERT_NE(filler, nullptr);
        const std::string block(4096, 'f');
        bool full = false;
        for (int blocks = 0; blocks < 64 && !full; ++blocks) {
            full = std::fwrite(block.data(), 1, block.size(), filler) != block.size() ||
                   std::fflush(filler) != 0;
        }
        std::fclose(filler);
        EXPECT_TRUE(full) << "the 64 KiB disk never filled up";
    }

private:
    fs::path where_;
    bool mounted_ = false;
    std::string error_;
};

TEST_F(RealWriteFaultTest, ReadOnlyFolderKeepsEveryPreviousFile) {
    for (const FileKind& kind : FILE_KINDS) {
        const fs::path where = folder / "read_only";
        if (::geteuid() == 0) {
            // Root writes into a folder whatever its permissions, but not
            // onto a disk mounted read-only.
            const SmallDisk disk(where);
            if (!disk.mounted()) {
                GTEST_SKIP() << "running as root and cannot mount a read-only tmpfs: " << disk.error();
            }
            expectFailedWrite(kind, where, FAILED_CREATE, [&disk] { disk.makeReadOnly(); });
            continue;
        }
        fs::create_directory(where);
        // Nothing can be created beside the file: as a failed create.
        expectFailedWrite(kind, where, FAILED_CREATE, [&where] {
            fs::permissions(where, fs::perms::owner_write | fs::perms::group_write |
                                       fs::perms::others_write,
                            fs::perm_options::remove);
        });
        fs::permissions(where, fs::perms::owner_write, fs::perm_options::add);
        fs::remove_all(where);
    }
}

TEST_F(RealWriteFaultTest, FullDiskKeepsEveryPreviousFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting a small tmpfs as a full disk needs root";
    }
    for (const FileKind& kind : FILE_KINDS) {
        const SmallDisk disk(folder / "small_disk");
        if (!disk.mounted()) {
            GTEST_SKIP() << "cannot mount a small tmpfs as a full disk: " << disk.error();
        }
        // The bytes cannot all be written: as a short write.
        expectFailedWrite(kind, folder / "small_disk", SHORT_WRITE, [&disk] { disk.fill(); });
    }
}

}  // namespace
