#include "language/language_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::literals;

std::u16string decimal(std::size_t number) {
    const std::string digits = std::to_string(number);
    return {digits.begin(), digits.end()};
}

std::u16string placeholder(std::size_t number) { return u"TRANSLATE IT!!!(" + decimal(number) + u")"; }

std::string utf16le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string withBom(std::u16string_view text) { return "\xFF\xFE" + utf16le(text); }

class LanguageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() /
                     ("kalivera-language-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path writeFile(const std::string& bytes) {
        const fs::path path = directory_ / "test.lng";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // A table that holds neither placeholders nor anything a file would set.
    static LanguageTable filledTable() {
        LanguageTable table;
        table.entries.fill(u"old");
        return table;
    }

    fs::path directory_;
};

struct LoadCase {
    const char* name;
    std::string bytes;
    std::map<std::size_t, std::u16string> expected;  // every other entry: placeholder
};

std::u16string repeated(std::size_t count, char16_t unit) { return std::u16string(count, unit); }

std::vector<LoadCase> loadCases() {
    return {
        {"comment then entry 1", withBom(u"/ Czech texts\r\n1-Test\r\n"), {{1, u"Test"}}},
        {"blank before minus ends reading", withBom(u"1-One\r\n2 -Two\r\n3-Three\r\n"), {{1, u"One"}}},
        {"number display after 999, file names stay plain",
         withBom(u"999-x\r\n26-Nový protokol...\r\n113-zd615_cz.htm\r\n0-protokol_cz.htm\r\n"
                 u"140-navod_cz.htm\r\n"),
         {{26, u"Nový protokol...(26)"},
          {113, u"zd615_cz.htm"},
          {0, u"protokol_cz.htm"},
          {140, u"navod_cz.htm"}}},
        {"entries before 999 stay plain", withBom(u"5-five\r\n999-\r\n6-six\r\n"),
         {{5, u"five"}, {6, u"six(6)"}}},
        {"number display cut to 127", withBom(u"147-x\r\n5-" + repeated(125, u'a') + u"\r\n"),
         {{5, repeated(125, u'a') + u"(5"}}},
        {"number too large for 32 bits switches display on",
         withBom(u"4294967297-x\r\n1-y\r\n"), {{1, u"y(1)"}}},
        {"127 characters stored", withBom(u"1-" + repeated(127, u'x') + u"\r\n2-b\r\n"),
         {{1, repeated(127, u'x')}, {2, u"b"}}},
        {"128 characters end reading",
         withBom(u"1-a\r\n2-" + repeated(128, u'x') + u"\r\n3-c\r\n"), {{1, u"a"}}},
        {"no byte-order mark", utf16le(u"1-Test\r\n"), {{1, u"Test"}}},
        {"LF-only comment swallows entries up to the next CR",
         withBom(u"/ comment\n1-One\n2-Two\r\n3-Three\n"), {{3, u"Three"}}},
        {"comment to end of file", withBom(u"1-a\r\n/ 2-b\n3-c"), {{1, u"a"}}},
        {"slash inside text is text", withBom(u"1-a/b\r\n2-c\r\n"), {{1, u"a/b"}, {2, u"c"}}},
        {"blanks kept, empty text, text ends at end of file",
         withBom(u"1- a b \r\n7-\r\n8-end"), {{1, u" a b "}, {7, u""}, {8, u"end"}}},
        {"CR, LF and runs of them end lines", withBom(u"1-a\r2-b\n\n\r\r3-c\n\r4-d"),
         {{1, u"a"}, {2, u"b"}, {3, u"c"}, {4, u"d"}}},
        {"later entry replaces earlier, any order", withBom(u"9-x\r\n2-y\r\n9-z\r\n"),
         {{9, u"z"}, {2, u"y"}}},
        {"15 digits accepted", withBom(u"000000000000003-c\r\n"), {{3, u"c"}}},
        {"16 digits end reading", withBom(u"1-a\r\n0000000000000003-c\r\n4-d\r\n"), {{1, u"a"}}},
        {"number at end of file", withBom(u"1-a\r\n12"), {{1, u"a"}}},
        {"odd last byte is the end of the file", withBom(u"1-Ab") + "\x41", {{1, u"Ab"}}},
        {"zero unit ends the text", withBom(u"1-ab\0cd\r\n2-e\r\n"sv),
         {{1, u"ab"}, {2, u"e"}}},
        {"only a byte-order mark", withBom(u""), {}},
    };
}

TEST_F(LanguageFileTest, LoadsEntriesAsTheFileStates) {
    for (const LoadCase& testCase : loadCases()) {
        SCOPED_TRACE(testCase.name);
        LanguageTable table = filledTable();
        EXPECT_TRUE(loadLanguageFile(table, writeFile(testCase.bytes)));
        for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
            const auto expected = testCase.expected.find(number);
            EXPECT_EQ(table.text(number),
                      expected == testCase.expected.end() ? placeholder(number) : expected->second)
                << "entry " << number;
        }
    }
}

TEST_F(LanguageFileTest, FileWithoutAUnitGivesPlaceholdersAndFalse) {
    for (const std::string& bytes : {std::string(), std::string("\xFF")}) {
        LanguageTable table = filledTable();
        EXPECT_FALSE(loadLanguageFile(table, writeFile(bytes)));
        for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
            EXPECT_EQ(table.text(number), placeholder(number));
        }
    }
}

TEST_F(LanguageFileTest, FileThatCannotBeOpenedLeavesTableUnchanged) {
    for (const fs::path& path : {directory_ / "missing.lng", directory_}) {
        LanguageTable table = filledTable();
        EXPECT_FALSE(loadLanguageFile(table, path));
        for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
            EXPECT_EQ(table.text(number), u"old");
        }
    }
}

TEST_F(LanguageFileTest, LargeFilesLoadQuickly) {
    constexpr std::size_t tenMegabytes = 10 << 20;
    const std::string files[] = {
        withBom(repeated(tenMegabytes / 2, u' ') + u"1-last\r\n"),
        withBom(std::u16string(u"/").append(repeated(tenMegabytes / 2, u'x')).append(u"\r\n1-last")),
        withBom(u"1-last\r\n" + repeated(tenMegabytes / 2, u'7')),
        withBom(u"1-last\r\n") + std::string(tenMegabytes + 1, '\n'),
    };
    for (const std::string& bytes : files) {
        const fs::path path = writeFile(bytes);
        LanguageTable table;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(loadLanguageFile(table, path));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(table.text(1), u"last");
        EXPECT_EQ(table.text(2), placeholder(2));
    }
}

// The language files shipped in data/.
struct ShippedFile {
    const char* name;
    const char16_t* reportTemplate;
    const char16_t* zd615Template;
    const char16_t* manual;
};

class ShippedLanguageFile : public ::testing::TestWithParam<ShippedFile> {
protected:
    fs::path path() const { return fs::path(KALIVERA_SOURCE_DIR) / "data" / GetParam().name; }
};

TEST_P(ShippedLanguageFile, HasByteOrderMarkAndCrLfLineEnds) {
    std::ifstream file(path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    ASSERT_EQ(bytes.size() % 2, 0u);
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        if (bytes[i] == '\n' && bytes[i + 1] == 0) {
            ASSERT_GE(i, 4u);
            EXPECT_EQ(bytes.substr(i - 2, 2), std::string("\r\0", 2)) << "LF without CR at byte " << i;
        }
    }
}

TEST_P(ShippedLanguageFile, WordsEveryEntry) {
    LanguageTable table;
    ASSERT_TRUE(loadLanguageFile(table, path()));
    for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
        const std::u16string& text = table.text(number);
        EXPECT_NE(text, placeholder(number)) << "entry " << number;
        EXPECT_FALSE(text.empty()) << "entry " << number;
        // Entries numbered 147 or more would switch the number display on.
        std::u16string numberSuffix = u"(";
        numberSuffix += decimal(number) + u")";
        EXPECT_FALSE(text.ends_with(numberSuffix)) << "entry " << number;
    }
    EXPECT_EQ(table.text(0), GetParam().reportTemplate);
    EXPECT_EQ(table.text(113), GetParam().zd615Template);
    EXPECT_EQ(table.text(140), GetParam().manual);
}

TEST_P(ShippedLanguageFile, MenuTextsFitTheMenu) {
    LanguageTable table;
    ASSERT_TRUE(loadLanguageFile(table, path()));
    for (std::size_t number = 20; number <= 39; ++number) {
        EXPECT_LE(table.text(number).size(), 63u) << "entry " << number;
    }
    EXPECT_LE(table.text(116).size(), 63u);
    EXPECT_LE(table.text(141).size(), 63u);
}

INSTANTIATE_TEST_SUITE_P(
    Data, ShippedLanguageFile,
    ::testing::Values(ShippedFile{"czech.lng", u"protokol_cz.htm", u"zd615_cz.htm", u"navod_cz.htm"},
                      ShippedFile{"english.lng", u"protocol_en.htm", u"zd615_en.htm", u"manual_en.htm"}),
    [](const ::testing::TestParamInfo<ShippedFile>& param) {
        return std::string(param.param.name).substr(0, std::string(param.param.name).find('.'));
    });

}  // namespace
