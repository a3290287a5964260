// The control-free parts of the protocol form.
#pragma once

#include <string>
#include <string_view>

#include "core/records.h"

// Every character a decimal digit, "+", "-" or "."; an empty text passes.
bool isNumberText(std::u16string_view text);

struct InstrumentIdentity {
    std::u16string type;
    std::u16string serial;
};

// First 31 characters split at the first blank into type and serial.
InstrumentIdentity splitInstrumentIdentity(std::u16string_view identification);

// Type, one blank, serial, cut to 31 characters (the blank is written even
// when both are empty).
std::u16string joinInstrumentIdentity(std::u16string_view type, std::u16string_view serial);
