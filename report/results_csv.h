// The results of a protocol as a table for spreadsheet programs: one line
// per fibre and wavelength of a loss measurement, or per ticked ZD615 row,
// with the numbers and verdicts the report prints.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct MeasurementStore;

// A field of a line: in double quotes, its quotes doubled, when it holds
// the separator ';', a '"', CR or LF; else as it is.
std::u16string csvField(std::u16string_view text);

// Whether there is anything to export: a selected reading of loss-meter
// data, or a ticked ZD615 row.
bool hasResults(const MeasurementStore& store);

// The whole file: UTF-8 with byte-order mark, ';' between fields, CR LF
// after every line, a heading line of language texts first. A value the
// readings or the instrument did not give leaves its field empty. Rebuilds the
// wavelength summary and the loss budget first, as a report does; the
// caller reads the form into protocolForm before.
std::string resultsCsv(MeasurementStore& store);

// resultsCsv through a temporary file renamed over the target. False when it
// could not be written (language text 83); any previous file is intact.
bool writeResultsCsv(MeasurementStore& store, const std::filesystem::path& file);
