// The instrument's text transfer: an identification line, then one data line
// per reading (loss meter) or per OLT/ONT/location (ZD615). The parser turns
// store.rawText into records of the store.
#pragma once

#include <cstdint>

#include "core/measurement_store.h"

// Shorter texts are refused without touching the store.
inline constexpr std::uint32_t MIN_INSTRUMENT_TEXT_LENGTH = 19;
// The longest text a full parse takes: one byte of rawText stays free for the
// line end the parse appends.
inline constexpr std::uint32_t MAX_INSTRUMENT_TEXT_LENGTH = RAW_TEXT_CAPACITY - 1;

enum class ParseMode {
    Full,        // every data line; appends one LF to rawText
    HeaderOnly,  // stops after the identification line; rawText stays as it is
};

struct ParseResult {
    bool accepted = false;
    // A loss value above zero was stored: the caller shows the positive-value
    // warning once.
    bool positiveValues = false;
};

// Parses the first rawTextLength bytes of rawText.
//
// Accepted (full mode): the records of the text replace the old ones, the
// wavelength summary is rebuilt and wavelengthTable lists exactly the
// readings' wavelengths; instrumentId holds the identification and
// instrumentKind the kind of the layout used (ZD615 layout: 2; otherwise the
// type word's kind, never 2). The window still shows the warning, translates
// itself and shows the form.
//
// Refused: a text shorter than 19 bytes (or too long to append the line end)
// changes nothing; an identification longer than 63 characters leaves the
// records cleared, instrumentKind 0 and the first 63 characters in
// instrumentId; any data-line error resets the store.
ParseResult parseInstrumentText(MeasurementStore& store, ParseMode mode);
