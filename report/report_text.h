// What every part of a report writes with: the report file, the
// substitution of markers and HTML escaping. A leaf: the template engine and
// both report contents include it, and it includes none of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class AtomicFileWriter;

// destination = source with the first occurrence of pattern replaced; false
// (and destination = source) when the pattern does not occur. The search
// does not go on into the replacement.
bool replaceFirst(std::u16string& destination, std::u16string_view source,
                  std::u16string_view pattern, std::u16string_view replacement);
// The same, in place.
bool replaceFirst(std::u16string& text, std::u16string_view pattern,
                  std::u16string_view replacement);

// Text typed by a person or sent by the instrument, made safe for HTML:
// & < > " become entities.
std::u16string htmlEscaped(std::u16string_view text);

// A count cell of a verdict summary table; a failing count above zero in
// bold, as the report marks values over their limit.
std::u16string summaryCountCell(std::uint32_t count, bool failing);

// The report file: every piece of report text goes through write(), which
// fails once anything could not be written.
class ReportWriter {
public:
    explicit ReportWriter(AtomicFileWriter& file) : file_(file) {}
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    bool write(std::u16string_view text);

private:
    AtomicFileWriter& file_;
};
