#include "core/atomic_file.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_size_limit.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("kalivera_atomic_") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const fs::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    std::vector<fs::path> entries() const {
        return {fs::directory_iterator(folder), fs::directory_iterator()};
    }
};

TEST_F(AtomicFileTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
    const fs::path target = folder / "out.bin";
    put(target, "old contents that are longer");
    const std::string data("new\0bytes", 9);
    ASSERT_TRUE(writeFileAtomically(target, data.data(), data.size()));
    EXPECT_EQ(contents(target), data);
    EXPECT_EQ(entries(), std::vector<fs::path>{target});
}

TEST_F(AtomicFileTest, CreatesAMissingTargetAndAnEmptyFile) {
    const fs::path target = folder / "new.bin";
    ASSERT_TRUE(writeFileAtomically(target, "", 0));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(AtomicFileTest, TargetStaysUntouchedUntilCommit) {
    const fs::path target = folder / "out.txt";
    put(target, "previous");
    AtomicFileWriter writer(target);
    ASSERT_TRUE(writer.isOpen());
    ASSERT_TRUE(writer.write("part one, ", 10));
    EXPECT_EQ(contents(target), "previous");
    EXPECT_EQ(entries().size(), 2u);  // target and the temporary beside it
    ASSERT_TRUE(writer.write("part two", 8));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(contents(target), "part one, part two");
    EXPECT_FALSE(writer.commit());  // only once
}

TEST_F(AtomicFileTest, AbandonedWriterKeepsTheOldFileAndCleansUp) {
    const fs::path target = folder / "out.txt";
    put(target, "previous");
    {
        AtomicFileWriter writer(target);
        ASSERT_TRUE(writer.write("half", 4));
    }
    EXPECT_EQ(contents(target), "previous");
    EXPECT_EQ(entries(), std::vector<fs::path>{target});
}

TEST_F(AtomicFileTest, TwoWritersOfOneTargetUseSeparateTemporaries) {
    const fs::path target = folder / "out.txt";
    AtomicFileWriter first(target);
    AtomicFileWriter second(target);
    ASSERT_TRUE(first.isOpen() && second.isOpen());
    ASSERT_TRUE(first.write("first", 5));
    ASSERT_TRUE(second.write("second", 6));
    ASSERT_TRUE(first.commit());
    ASSERT_TRUE(second.commit());
    EXPECT_EQ(contents(target), "second");
    EXPECT_EQ(entries(), std::vector<fs::path>{target});
}

TEST_F(AtomicFileTest, MissingFolderFailsWithoutCreatingAnything) {
    const fs::path target = folder / "absent" / "out.txt";
    AtomicFileWriter writer(target);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.write("x", 1));
    EXPECT_FALSE(writer.commit());
    EXPECT_FALSE(fs::exists(folder / "absent"));
}

TEST_F(AtomicFileTest, DirectoryInPlaceOfTheTargetFailsAndStays) {
    const fs::path target = folder / "out.txt";
    fs::create_directory(target);
    put(target / "inside", "kept");
    EXPECT_FALSE(writeFileAtomically(target, "data", 4));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(contents(target / "inside"), "kept");
    EXPECT_EQ(entries(), std::vector<fs::path>{target});
}

// A write that cannot complete (here: the process may not write files past
// 100 bytes, as on a full disk) must fail and leave the old file as it was.
TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFile) {
    SKIP_WITHOUT_FILE_SIZE_LIMIT();
    const fs::path target = folder / "out.bin";
    put(target, "previous");
    const std::string data(4096, 'n');

    bool written = true;
    {
        const FileSizeLimit limit(100);
        AtomicFileWriter writer(target);
        written = writer.write(data.data(), data.size());
        written = writer.commit() && written;
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(contents(target), "previous");
    EXPECT_EQ(entries(), std::vector<fs::path>{target});
}

struct InjectedFault {
    const char* name;
    WriteFaults faults;
    bool opens;           // the temporary file is created
    bool targetRefused;   // the failure is the rename over the target
};

const InjectedFault INJECTED_FAULTS[] = {
    {"second write short", {.shortWriteAt = 2}, true, false},
    {"flush fails", {.failFlush = true}, true, false},
    {"rename fails", {.failRename = true}, true, true},
    {"create fails", {.failCreate = true}, false, false},
};

TEST_F(AtomicFileTest, InjectedFaultFailsTheWriteAndKeepsTheOldFile) {
    const fs::path target = folder / "out.bin";
    for (const InjectedFault& fault : INJECTED_FAULTS) {
        SCOPED_TRACE(fault.name);
        put(target, "previous");
        bool committed = true;
        {
            const ScopedWriteFaults injected(fault.faults);
            AtomicFileWriter writer(target);
            EXPECT_EQ(writer.isOpen(), fault.opens);
            writer.write("first ", 6);
            writer.write("second ", 7);
            writer.write("third", 5);
            committed = writer.commit();
            EXPECT_EQ(writer.targetRefused(), fault.targetRefused);
        }
        EXPECT_FALSE(committed);
        EXPECT_EQ(contents(target), "previous");
        EXPECT_EQ(entries(), std::vector<fs::path>{target});
    }
}

TEST_F(AtomicFileTest, ShortWriteHitsOnlyTheNthWriteAndLaterOnesFail) {
    const fs::path target = folder / "out.bin";
    const ScopedWriteFaults injected({.shortWriteAt = 2});
    AtomicFileWriter writer(target);
    EXPECT_TRUE(writer.write("first", 5));
    EXPECT_FALSE(writer.write("second", 6));
    EXPECT_FALSE(writer.write("third", 5));
    // Each writer counts its own writes.
    AtomicFileWriter other(folder / "other.bin");
    EXPECT_TRUE(other.write("one", 3));
    EXPECT_FALSE(other.write("two", 3));
}

TEST_F(AtomicFileTest, FaultsEndWithTheirScope) {
    const fs::path target = folder / "out.bin";
    {
        const ScopedWriteFaults outer({.failRename = true});
        {
            const ScopedWriteFaults inner({.failCreate = true});
            EXPECT_FALSE(AtomicFileWriter(target).isOpen());
        }
        EXPECT_FALSE(writeFileAtomically(target, "x", 1));
        EXPECT_FALSE(fs::exists(target));
    }
    ASSERT_TRUE(writeFileAtomically(target, "data", 4));
    EXPECT_EQ(contents(target), "data");
}

}  // namespace
