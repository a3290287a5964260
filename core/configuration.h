// The settings file "Kalivera.cfg": a byte image of the Configuration record.
#pragma once

#include <filesystem>

#include "core/records.h"

inline constexpr char16_t CONFIGURATION_FILE_NAME[] = u"Kalivera.cfg";

void setDefaultConfiguration(Configuration& configuration);

enum class ConfigurationLoad { Loaded, DefaultsNeeded };

// Reads the file into the record; the default form's instrument slot is
// always emptied. DefaultsNeeded when the file is missing, short or has a
// wrong magic (the record then holds whatever was read).
ConfigurationLoad readConfigurationFile(Configuration& configuration,
                                        const std::filesystem::path& file);

// Sets the magic and writes all 7776 bytes atomically.
bool writeConfigurationFile(Configuration& configuration, const std::filesystem::path& file);
