// Any bytes as a protocol file, as they are and with their last four bytes
// made the right checksum (so that mutations reach past the checksum test).
// An accepted file must be written back byte for byte, and its results must
// make a table whose lines all have the heading's number of fields.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "core/protocol_file.h"
#include "report/results_csv.h"

namespace {

// Fields per line, read as RFC 4180 with ';' between fields: quoted
// fields may hold anything, a quote inside one is doubled.
std::vector<std::size_t> fieldsPerLine(std::string_view text) {
    std::vector<std::size_t> lines;
    std::size_t fields = 1;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                ++i;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '"') {
            require(i == 0 || text[i - 1] == ';' || text[i - 1] == '\n');  // quotes open a field
            quoted = true;
        } else if (c == ';') {
            ++fields;
        } else if (c == '\r') {
            require(i + 1 < text.size() && text[i + 1] == '\n');
            lines.push_back(fields);
            fields = 1;
            ++i;
        } else {
            require(c != '\n');  // a bare line feed only inside quotes
        }
    }
    require(!quoted && fields == 1);  // the last line ends with CR LF
    return lines;
}

void requireWellFormedCsv(MeasurementStore& store) {
    const std::string csv = resultsCsv(store);
    require(csv.rfind("\xEF\xBB\xBF", 0) == 0);
    const std::vector<std::size_t> lines = fieldsPerLine(std::string_view(csv).substr(3));
    require(!lines.empty());
    for (std::size_t fields : lines) require(fields == lines.front());
}

void readAndCompare(std::span<const std::uint8_t> bytes) {
    MeasurementStore& store = fuzzStore();
    if (!readProtocolImage(store, bytes)) {
        require(store.recordCount == 0 && store.rawTextLength == 0);
        return;
    }
    require(store.recordCount <= MAX_RECORDS && store.rawTextLength <= RAW_TEXT_CAPACITY);
    const std::vector<std::uint8_t> image = protocolImage(store);
    require(image.size() <= bytes.size());
    require(std::memcmp(image.data(), bytes.data(), image.size()) == 0);
    requireWellFormedCsv(store);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    readAndCompare(bytes);
    if (size < 4) return 0;
    std::vector<std::uint8_t> fixed(data, data + size);
    const std::uint32_t sum = protocolChecksum(bytes.first(size - 4));
    std::memcpy(fixed.data() + size - 4, &sum, 4);
    readAndCompare(fixed);
    return 0;
}
