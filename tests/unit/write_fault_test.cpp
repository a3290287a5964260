// Every file the program writes, under every fault the writer can meet: the
// write fails with the result the window turns into its message, the
// previous file stays byte for byte, no temporary file is left beside it and
// the store is as it was.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/atomic_file.h"
#include "file_kinds.h"
#include "report_fixture.h"

namespace fs = std::filesystem;

namespace {

using namespace file_kinds;

class WriteFaultTest : public ReportFixture {
protected:
    std::vector<fs::path> entries() const {
        std::vector<fs::path> names{fs::directory_iterator(folder), fs::directory_iterator()};
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(WriteFaultTest, EveryFileKeepsItsPreviousVersionUnderEveryFault) {
    for (const FileKind& kind : FILE_KINDS) {
        for (int fault = 0; fault < FAULT_COUNT; ++fault) {
            SCOPED_TRACE(std::string(kind.name) + ", " + FAULTS[fault].name);
            for (const fs::path& entry : entries()) fs::remove_all(entry);
            const fs::path file = folder / kind.fileName;

            changeStore(*store, 1);
            ASSERT_EQ(kind.write(*store, folder, file), "written");
            const std::string previous = contents(file);
            changeStore(*store, 2);
            const std::vector<std::uint8_t> storeBefore = storeBytes(*store);
            const std::vector<fs::path> entriesBefore = entries();

            std::string result;
            {
                const ScopedWriteFaults injected(FAULTS[fault].faults);
                result = kind.write(*store, folder, file);
            }

            EXPECT_EQ(result, kind.failure[fault]);
            EXPECT_EQ(contents(file), previous);
            EXPECT_EQ(entries(), entriesBefore);
            EXPECT_EQ(storeBytes(*store), storeBefore);

            // Without the fault the same write goes through and differs.
            EXPECT_EQ(kind.write(*store, folder, file), "written");
            EXPECT_NE(contents(file), previous);
        }
    }
}

}  // namespace
