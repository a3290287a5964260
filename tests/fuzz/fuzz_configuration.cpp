// Any bytes as "Kalivera.cfg", loaded as the main window loads it (defaults
// when the file is refused). The record then holds only what the program can
// use: no instrument, line settings from their lists, a bounded language
// file name; an accepted file saves back as it was read, instrument aside.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/configuration.h"
#include "core/fixed_text.h"
#include "fuzz_support.h"
#include "instrument/serial_port.h"

namespace {

constexpr std::size_t INSTRUMENT_OFFSET =
    offsetof(Configuration, defaultForm) + offsetof(ProtocolForm, instrument);
constexpr std::size_t INSTRUMENT_SIZE = sizeof(ProtocolForm::instrument);

Configuration& loadAsTheProgramDoes(const std::filesystem::path& file, bool& accepted) {
    static Configuration* configuration = new Configuration;
    accepted = readConfigurationFile(*configuration, file) == ConfigurationLoad::Loaded;
    if (!accepted) setDefaultConfiguration(*configuration);
    return *configuration;
}

// The input's first record as the loader must have kept it.
std::unique_ptr<Configuration> expectedRecord(const std::uint8_t* data) {
    auto expected = std::make_unique<Configuration>();
    std::memcpy(static_cast<void*>(expected.get()), data, sizeof(Configuration));
    std::memset(reinterpret_cast<std::uint8_t*>(expected.get()) + INSTRUMENT_OFFSET, 0, INSTRUMENT_SIZE);
    return expected;
}

void checkUsable(const Configuration& configuration) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&configuration);
    require(std::all_of(bytes + INSTRUMENT_OFFSET, bytes + INSTRUMENT_OFFSET + INSTRUMENT_SIZE,
                        [](std::uint8_t byte) { return byte == 0; }));
    const LineSettings settings = lineSettingsOf(configuration);
    require(std::find(BAUD_RATES.begin(), BAUD_RATES.end(), settings.baudRate) != BAUD_RATES.end());
    require(std::find(DATA_BITS.begin(), DATA_BITS.end(), settings.dataBits) != DATA_BITS.end());
    require(settings.parity <= Parity::Space);
    require(settings.stopBits <= StopBits::Two);
    require(settings.flowControl < FLOW_CONTROL_KINDS);
    const std::u16string_view language = slotText(configuration.languageFile);
    require(language.size() <= std::size(configuration.languageFile));
    require(language.find(u'\0') == std::u16string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path inputFile = scratchFile(".cfg");
    static const std::filesystem::path savedFile = scratchFile("-saved.cfg");
    writeBytes(inputFile, data, size);
    bool accepted = false;
    Configuration& configuration = loadAsTheProgramDoes(inputFile, accepted);
    checkUsable(configuration);

    const bool valid = size >= sizeof(Configuration) &&
                       std::memcmp(data + offsetof(Configuration, configMagic), &CONFIG_MAGIC, 4) == 0;
    require(accepted == valid);
    if (accepted) {
        require(std::memcmp(&configuration, expectedRecord(data).get(), sizeof configuration) == 0);
    }
    require(writeConfigurationFile(configuration, savedFile));
    const std::vector<std::uint8_t> saved = readBytes(savedFile);
    require(saved.size() == sizeof configuration);
    require(std::memcmp(saved.data(), &configuration, sizeof configuration) == 0);
    return 0;
}
