// Any bytes as a protocol file, as they are and with their last four bytes
// made the right checksum (so that mutations reach past the checksum test).
// An accepted file must be written back byte for byte.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "core/protocol_file.h"

namespace {

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
