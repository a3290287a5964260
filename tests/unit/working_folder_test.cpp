// Choosing the folder the program works in, and filling a user's folder
// from the files an installed program ships.
#include "core/working_folder.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/atomic_file.h"
#include "file_fixture.h"

namespace fs = std::filesystem;

namespace {

// Every file under the folder with its contents, relative names in order.
using Tree = std::vector<std::pair<std::string, std::string>>;

class WorkingFolderTest : public FileTest {
protected:
    fs::path programFolder() const { return folder / "program"; }
    fs::path shipped() const { return programFolder() / SHIPPED_FILES_FOLDER; }
    fs::path current() const { return folder / "current"; }
    fs::path user() const { return folder / "user"; }

    void SetUp() override {
        FileTest::SetUp();
        fs::create_directories(current());
        ship("czech.lng", std::string("\xff\xfe" "C\0z\0", 6));
        ship("protokol_cz.htm", "<html>shipped</html>");
        ship("samples/lossmeter.opr", std::string(3000, '\x5a'));
        ship("limits/gpon_b_plus.thre", std::string(512, '\x01'));
    }
    void ship(const std::string& name, const std::string& bytes) const {
        fs::create_directories((shipped() / name).parent_path());
        put(shipped() / name, bytes);
    }
    static void putAt(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        put(file, bytes);
    }
    static Tree tree(const fs::path& root) {
        Tree files;
        if (!fs::exists(root)) return files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                files.emplace_back(entry.path().lexically_relative(root).generic_string(),
                                   contents(entry.path()));
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(WorkingFolderTest, AFolderWithALanguageFileIsAWorkingFolder) {
    struct Case {
        const char* name;
        bool isFile;
        bool expected;
    };
    const Case cases[] = {
        {"czech.lng", true, true},    {"ENGLISH.LNG", true, true}, {"mine.Lng", true, true},
        {"czech.lng.bak", true, false}, {"lng", true, false},      {"czech.lngx", true, false},
        {"folder.lng", false, false}, {"protokol_cz.htm", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path candidate = folder / "candidate";
        fs::remove_all(candidate);
        fs::create_directories(candidate);
        if (c.isFile) {
            put(candidate / c.name, "x");
        } else {
            fs::create_directories(candidate / c.name);
        }
        EXPECT_EQ(isWorkingFolder(candidate), c.expected);
    }
    EXPECT_FALSE(isWorkingFolder(folder / "candidate" / "empty"));
    EXPECT_FALSE(isWorkingFolder(folder / "no such folder"));
}

TEST_F(WorkingFolderTest, CopiesTheWholeTreeIntoAFolderThatIsNotThereYet) {
    EXPECT_EQ(copyMissingFiles(shipped(), user() / "Kalivera"), std::nullopt);
    EXPECT_EQ(tree(user() / "Kalivera"), tree(shipped()));
    EXPECT_EQ(tree(user() / "Kalivera").size(), 4u);
}

TEST_F(WorkingFolderTest, KeepsEveryFileTheUserAlreadyHas) {
    putAt(user() / "protokol_cz.htm", "<html>my own template</html>");
    putAt(user() / "samples" / "lossmeter.opr", "my changed sample");
    putAt(user() / "route7.opr", "my protocol");
    putAt(user() / "Kalivera.cfg", "my settings");

    EXPECT_EQ(copyMissingFiles(shipped(), user()), std::nullopt);

    Tree expected = tree(shipped());
    for (auto& [name, bytes] : expected) {
        if (name == "protokol_cz.htm") bytes = "<html>my own template</html>";
        if (name == "samples/lossmeter.opr") bytes = "my changed sample";
    }
    expected.emplace_back("Kalivera.cfg", "my settings");
    expected.emplace_back("route7.opr", "my protocol");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree(user()), expected);
}

TEST_F(WorkingFolderTest, AFileThatCannotBeCopiedIsNamedAndTheOthersAreStillCopied) {
    // A file where the shipped folder "samples" belongs.
    putAt(user() / "samples", "in the way");

    EXPECT_EQ(copyMissingFiles(shipped(), user()), shipped() / "samples" / "lossmeter.opr");

    Tree expected = tree(shipped());
    std::erase_if(expected, [](const auto& file) { return file.first.starts_with("samples/"); });
    expected.emplace_back("samples", "in the way");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tree(user()), expected);
}

TEST_F(WorkingFolderTest, AnInterruptedCopyLeavesNoPartOfAFileAndTheNextOneCompletesIt) {
    std::optional<fs::path> uncopied;
    {
        const ScopedWriteFaults injected({.shortWriteAt = 1});
        uncopied = copyMissingFiles(shipped(), user());
    }
    ASSERT_TRUE(uncopied.has_value());
    EXPECT_EQ(tree(user()), Tree{});
    // No temporary file either: nothing but folders.
    for (const auto& entry : fs::recursive_directory_iterator(user())) {
        EXPECT_TRUE(entry.is_directory()) << entry.path();
    }

    EXPECT_EQ(copyMissingFiles(shipped(), user()), std::nullopt);
    EXPECT_EQ(tree(user()), tree(shipped()));
}

TEST_F(WorkingFolderTest, AMissingSourceIsReported) {
    EXPECT_EQ(copyMissingFiles(folder / "none", user()), folder / "none");
}

TEST_F(WorkingFolderTest, ChoosesTheCurrentFolderOrTheFilledUserFolder) {
    struct Case {
        const char* name;
        bool currentHasLanguageFile;
        bool programShipsFiles;
        bool worksInUserFolder;
    };
    const Case cases[] = {
        {"portable or development folder", true, false, false},
        {"installed program started in a working folder", true, true, false},
        {"installed program started in its own folder", false, true, true},
        {"program without its files, not installed", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(current());
        fs::remove_all(user());
        fs::create_directories(current());
        if (c.currentHasLanguageFile) put(current() / "english.lng", "e");
        const fs::path program = c.programShipsFiles ? programFolder() : folder / "bare program";

        const WorkingFolderChoice choice = chooseWorkingFolder(current(), program, user());

        EXPECT_EQ(choice.folder, c.worksInUserFolder ? user() : current());
        EXPECT_EQ(choice.uncopied, std::nullopt);
        EXPECT_EQ(tree(user()), c.worksInUserFolder ? tree(shipped()) : Tree{});
        EXPECT_EQ(fs::exists(user()), c.worksInUserFolder);
    }
}

TEST_F(WorkingFolderTest, ALaterStartAddsNewlyShippedFilesAndKeepsTheUsersChanges) {
    ASSERT_EQ(chooseWorkingFolder(current(), programFolder(), user()).folder, user());
    put(user() / "protokol_cz.htm", "<html>edited</html>");
    ship("zd615_cz.htm", "<html>new in this version</html>");

    const WorkingFolderChoice choice = chooseWorkingFolder(current(), programFolder(), user());

    EXPECT_EQ(choice.folder, user());
    EXPECT_EQ(choice.uncopied, std::nullopt);
    EXPECT_EQ(contents(user() / "protokol_cz.htm"), "<html>edited</html>");
    EXPECT_EQ(contents(user() / "zd615_cz.htm"), "<html>new in this version</html>");
}

TEST_F(WorkingFolderTest, AUserFolderThatCannotBeMadeIsReported) {
    put(user(), "a file, not a folder");

    const WorkingFolderChoice choice = chooseWorkingFolder(current(), programFolder(), user());

    EXPECT_EQ(choice.folder, user());
    EXPECT_EQ(choice.uncopied, shipped());
    EXPECT_EQ(contents(user()), "a file, not a folder");
}

}  // namespace
