#include "core/configuration.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/fixed_text.h"
#include "file_size_limit.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t FILE_SIZE = 7776;

std::uint32_t wordAt(const std::string& bytes, std::size_t offset) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return word;
}

class ConfigurationTest : public ::testing::Test {
protected:
    fs::path folder;
    fs::path file;
    std::unique_ptr<Configuration> configuration = std::make_unique<Configuration>();

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("kalivera_cfg_") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / CONFIGURATION_FILE_NAME;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string fileBytes() const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void putBytes(const std::string& bytes) const {
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // A valid file whose form route is "Trasa 1" and whose instrument slot is filled.
    std::string validFileBytes() {
        setDefaultConfiguration(*configuration);
        setSlotText(configuration->defaultForm.route, u"Trasa 1");
        setSlotText(configuration->defaultForm.instrument, u"OM210 12345");
        configuration->portNumber = 3;
        EXPECT_TRUE(writeConfigurationFile(*configuration, file));
        return fileBytes();
    }
};

TEST_F(ConfigurationTest, DefaultsMatchTheFileTable) {
    std::memset(static_cast<void*>(configuration.get()), 0x5A, sizeof(Configuration));
    setDefaultConfiguration(*configuration);
    EXPECT_EQ(configuration->portNumber, 0u);
    EXPECT_EQ(configuration->baudIndex, 6u);
    EXPECT_EQ(configuration->dataBitsIndex, 0u);
    EXPECT_EQ(configuration->parityIndex, 0u);
    EXPECT_EQ(configuration->stopBitsIndex, 0u);
    EXPECT_EQ(configuration->flowControlIndex, 0u);
    EXPECT_EQ(configuration->configMagic, 0u);
    EXPECT_EQ(configuration->reserved, 0u);
    EXPECT_EQ(slotText(configuration->languageFile), u"czech.lng");
    EXPECT_EQ(configuration->languageFile[1023], 0);
    const auto* form = reinterpret_cast<const std::uint8_t*>(&configuration->defaultForm);
    EXPECT_TRUE(std::all_of(form, form + sizeof(ProtocolForm), [](std::uint8_t b) { return b == 0; }));
    for (const auto& entry : configuration->defaultWavelengthTable) {
        EXPECT_EQ(entry.wavelength, -1);
        EXPECT_EQ(entry.reserved, 0u);
        EXPECT_EQ(entry.dbPerKm, NOT_SET);
    }
}

TEST_F(ConfigurationTest, DefaultFileHasTheDocumentedBytes) {
    setDefaultConfiguration(*configuration);
    ASSERT_TRUE(writeConfigurationFile(*configuration, file));
    const std::string bytes = fileBytes();
    ASSERT_EQ(bytes.size(), FILE_SIZE);
    EXPECT_EQ(bytes.substr(FILE_SIZE - 8), std::string("\x34\x12\x55\xAA\0\0\0\0", 8));
    EXPECT_EQ(wordAt(bytes, 4), 6u);                       // baud index
    EXPECT_EQ(wordAt(bytes, 1624), 0xFFFFFFFFu);           // first wavelength slot: -1
    EXPECT_EQ(bytes.substr(1632, 8), std::string("\x76\x3B\x77\x30\xD1\x42\xEE\x7F", 8));
    EXPECT_EQ(bytes.substr(5720, 20), std::string("c\0z\0e\0c\0h\0.\0l\0n\0g\0\0\0", 20));
    EXPECT_EQ(configuration->configMagic, CONFIG_MAGIC);
}

TEST_F(ConfigurationTest, SavedFileLoadsBackWithoutTheInstrument) {
    validFileBytes();
    auto loaded = std::make_unique<Configuration>();
    ASSERT_EQ(readConfigurationFile(*loaded, file), ConfigurationLoad::Loaded);
    EXPECT_EQ(loaded->portNumber, 3u);
    EXPECT_EQ(slotText(loaded->defaultForm.route), u"Trasa 1");
    const auto& slot = loaded->defaultForm.instrument;
    EXPECT_TRUE(std::all_of(std::begin(slot), std::end(slot), [](char16_t unit) { return unit == 0; }));
}

TEST_F(ConfigurationTest, FileLengthAndMagicDecideWhetherItLoads) {
    const std::string valid = validFileBytes();
    std::string wrongMagic = valid;
    wrongMagic[7768] = 0x35;
    struct Case {
        const char* what;
        std::string bytes;
        ConfigurationLoad expected;
    };
    const Case cases[] = {
        {"exact", valid, ConfigurationLoad::Loaded},
        {"one byte longer", valid + "x", ConfigurationLoad::Loaded},
        {"much longer", valid + std::string(10000, '\xAA'), ConfigurationLoad::Loaded},
        {"one byte short", valid.substr(0, FILE_SIZE - 1), ConfigurationLoad::DefaultsNeeded},
        {"only the magic missing", valid.substr(0, FILE_SIZE - 8), ConfigurationLoad::DefaultsNeeded},
        {"empty", "", ConfigurationLoad::DefaultsNeeded},
        {"wrong magic", wrongMagic, ConfigurationLoad::DefaultsNeeded},
        {"zeros", std::string(FILE_SIZE, '\0'), ConfigurationLoad::DefaultsNeeded},
    };
    for (const auto& c : cases) {
        putBytes(c.bytes);
        auto loaded = std::make_unique<Configuration>();
        setSlotText(loaded->defaultForm.instrument, u"stale");
        EXPECT_EQ(readConfigurationFile(*loaded, file), c.expected) << c.what;
        EXPECT_EQ(loaded->defaultForm.instrument[0], 0) << c.what;
    }
}

TEST_F(ConfigurationTest, MissingFileOrFolderNeedsDefaults) {
    EXPECT_EQ(readConfigurationFile(*configuration, file), ConfigurationLoad::DefaultsNeeded);
    fs::create_directory(file);
    EXPECT_EQ(readConfigurationFile(*configuration, file), ConfigurationLoad::DefaultsNeeded);
}

TEST_F(ConfigurationTest, LongLanguageFileNameIsStoredWhole) {
    setDefaultConfiguration(*configuration);
    const std::u16string name(1023, u'ř');
    setSlotText(configuration->languageFile, name);
    ASSERT_TRUE(writeConfigurationFile(*configuration, file));
    auto loaded = std::make_unique<Configuration>();
    ASSERT_EQ(readConfigurationFile(*loaded, file), ConfigurationLoad::Loaded);
    EXPECT_EQ(slotText(loaded->languageFile), name);
}

TEST_F(ConfigurationTest, FailedSaveKeepsThePreviousFile) {
    SKIP_WITHOUT_FILE_SIZE_LIMIT();
    const std::string previous = validFileBytes();
    setDefaultConfiguration(*configuration);
    bool written = true;
    {
        const FileSizeLimit limit(1000);  // the disk fills up a thousand bytes in
        written = writeConfigurationFile(*configuration, file);
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ConfigurationTest, SaveOverADirectoryFails) {
    fs::create_directory(file);
    std::ofstream(file / "keep") << "x";
    setDefaultConfiguration(*configuration);
    EXPECT_FALSE(writeConfigurationFile(*configuration, file));
    EXPECT_TRUE(fs::exists(file / "keep"));
}

}  // namespace
