#include "core/configuration.h"

#include <cstring>
#include <fstream>

#include "core/atomic_file.h"
#include "core/fixed_text.h"

namespace {

// The configuration never carries an instrument: a new protocol must not
// start with the identity of whatever instrument was used when it was saved.
void forgetInstrument(Configuration& configuration) {
    std::memset(configuration.defaultForm.instrument, 0, sizeof configuration.defaultForm.instrument);
}

}  // namespace

void setDefaultConfiguration(Configuration& configuration) {
    std::memset(static_cast<void*>(&configuration), 0, sizeof configuration);
    for (auto& entry : configuration.defaultWavelengthTable) {
        entry.wavelength = -1;
        entry.dbPerKm = NOT_SET;
    }
    configuration.baudIndex = 6;
    setSlotText(configuration.languageFile, u"czech.lng");
}

ConfigurationLoad readConfigurationFile(Configuration& configuration,
                                        const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) return ConfigurationLoad::DefaultsNeeded;
    in.read(reinterpret_cast<char*>(&configuration), sizeof configuration);
    const auto bytesRead = in.gcount();
    forgetInstrument(configuration);
    if (bytesRead == static_cast<std::streamsize>(sizeof configuration) &&
        configuration.configMagic == CONFIG_MAGIC) {
        return ConfigurationLoad::Loaded;
    }
    return ConfigurationLoad::DefaultsNeeded;
}

bool writeConfigurationFile(Configuration& configuration, const std::filesystem::path& file) {
    configuration.configMagic = CONFIG_MAGIC;
    return writeFileAtomically(file, &configuration, sizeof configuration);
}
