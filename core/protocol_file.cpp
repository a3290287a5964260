#include "core/protocol_file.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/instrument_kind.h"
#include "core/number_text.h"
#include "core/read_file.h"

namespace {

const char* magicOf(ProtocolVersion version) {
    return version == ProtocolVersion::Zd615 ? PROTOCOL_MAGIC_ZD615 : PROTOCOL_MAGIC_LOSS_METER;
}

// Appends the items of the image one after the other.
class ImageWriter {
public:
    explicit ImageWriter(std::size_t size) { bytes_.reserve(size); }

    void put(const void* data, std::size_t size) {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), first, first + size);
    }
    void putWord(std::uint32_t word) { put(&word, sizeof word); }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Takes the items of an image in turn. A short item still delivers the bytes
// that are there, as reading a truncated file would.
class ImageReader {
public:
    explicit ImageReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool take(void* target, std::size_t size) {
        const std::size_t available = std::min(size, bytes_.size() - at_);
        std::memcpy(target, bytes_.data() + at_, available);
        at_ += available;
        return available == size;
    }
    bool takeWord(std::uint32_t& word) { return take(&word, sizeof word); }
    std::span<const std::uint8_t> consumed() const { return bytes_.first(at_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

bool readMagic(ImageReader& reader, ProtocolVersion& version) {
    char magic[PROTOCOL_MAGIC_SIZE];
    if (!reader.take(magic, sizeof magic)) return false;
    for (ProtocolVersion candidate : {ProtocolVersion::LossMeter, ProtocolVersion::Zd615}) {
        if (std::memcmp(magic, magicOf(candidate), PROTOCOL_MAGIC_SIZE) == 0) {
            version = candidate;
            return true;
        }
    }
    return false;
}

bool readRecords(ImageReader& reader, MeasurementStore& store, ProtocolVersion version) {
    std::uint32_t count = 0;
    if (!reader.takeWord(count) || count > MAX_RECORDS) return false;
    void* records = version == ProtocolVersion::Zd615
                        ? static_cast<void*>(store.locationRecords.data())
                        : static_cast<void*>(store.readings.data());
    if (!reader.take(records, count * protocolRecordSize(version))) return false;
    store.recordCount = count;
    return true;
}

bool readRawText(ImageReader& reader, MeasurementStore& store) {
    std::uint32_t length = 0;
    if (!reader.takeWord(length) || length > RAW_TEXT_CAPACITY) return false;
    if (!reader.take(store.rawText.data(), length)) return false;
    store.rawTextLength = length;
    return true;
}

bool readZd615Tail(ImageReader& reader, MeasurementStore& store) {
    return reader.take(&store.locationNames, sizeof store.locationNames) &&
           reader.take(store.activeLimitSets.data(), sizeof store.activeLimitSets) &&
           reader.take(store.evaluateWavelength.data(), sizeof store.evaluateWavelength);
}

bool readItems(ImageReader& reader, MeasurementStore& store, ProtocolVersion& version) {
    if (!readMagic(reader, version)) return false;
    // The form and the table lie in this order in the file, not in the store.
    if (!reader.take(&store.protocolForm, sizeof store.protocolForm) ||
        !reader.take(store.wavelengthTable.data(), sizeof store.wavelengthTable)) {
        return false;
    }
    if (!readRecords(reader, store, version) || !readRawText(reader, store)) return false;
    if (version == ProtocolVersion::Zd615 && !readZd615Tail(reader, store)) return false;
    const std::uint32_t sum = protocolChecksum(reader.consumed());
    std::uint32_t checksum = 0;
    return reader.takeWord(checksum) && checksum == sum;
}

// Paths are UTF-16 on Windows and UTF-8 bytes elsewhere.
template <typename NativeText>
std::u16string nativeToU16(const NativeText& native) {
    if constexpr (std::is_same_v<typename NativeText::value_type, wchar_t>) {
        return std::u16string(native.begin(), native.end());
    } else {
        return utf8ToU16(native);
    }
}

}  // namespace

ProtocolVersion protocolVersionOf(const MeasurementStore& store) {
    return store.instrumentKind == KIND_ZD615 ? ProtocolVersion::Zd615 : ProtocolVersion::LossMeter;
}

std::uint32_t protocolChecksum(std::span<const std::uint8_t> items) {
    std::uint32_t sum = PROTOCOL_CHECKSUM_START;
    for (std::uint8_t byte : items) {
        sum += static_cast<std::uint32_t>(static_cast<std::int8_t>(byte));
    }
    return sum;
}

std::vector<std::uint8_t> protocolImage(const MeasurementStore& store) {
    const ProtocolVersion version = protocolVersionOf(store);
    // The counts never exceed the arrays; the guards keep a damaged store from
    // reading past them.
    const std::uint32_t count = std::min<std::uint32_t>(store.recordCount, MAX_RECORDS);
    const std::uint32_t length = std::min<std::uint32_t>(store.rawTextLength, RAW_TEXT_CAPACITY);

    ImageWriter writer(protocolFileSize(version, count, length));
    writer.put(magicOf(version), PROTOCOL_MAGIC_SIZE);
    writer.put(&store.protocolForm, sizeof store.protocolForm);
    writer.put(store.wavelengthTable.data(), sizeof store.wavelengthTable);
    writer.putWord(count);
    if (version == ProtocolVersion::Zd615) {
        writer.put(store.locationRecords.data(), count * sizeof(LocationRecord));
    } else {
        writer.put(store.readings.data(), count * sizeof(ReadingRecord));
    }
    writer.putWord(length);
    writer.put(store.rawText.data(), length);
    if (version == ProtocolVersion::Zd615) {
        writer.put(&store.locationNames, sizeof store.locationNames);
        writer.put(store.activeLimitSets.data(), sizeof store.activeLimitSets);
        writer.put(store.evaluateWavelength.data(), sizeof store.evaluateWavelength);
    }
    writer.putWord(protocolChecksum(writer.bytes()));
    return std::move(writer.bytes());
}

bool writeProtocolFile(const MeasurementStore& store, const std::filesystem::path& file) {
    const std::vector<std::uint8_t> image = protocolImage(store);
    return writeFileAtomically(file, image.data(), image.size());
}

bool readProtocolImage(MeasurementStore& store, std::span<const std::uint8_t> bytes) {
    resetStore(store);
    ImageReader reader(bytes);
    ProtocolVersion version = ProtocolVersion::LossMeter;
    if (!readItems(reader, store, version)) {
        resetStore(store);
        return false;
    }
    rebuildWavelengthSummary(store);
    settleInstrumentKind(store, version == ProtocolVersion::Zd615,
                         slotText(store.protocolForm.instrument));
    return true;
}

ProtocolOpen openProtocolFile(MeasurementStore& store, const std::filesystem::path& file) {
    resetStore(store);
    // Emptied first: a Save after a failed open must not overwrite that file.
    setSlotText(store.currentProtocolPath, u"");
    // No valid file is longer; bytes after the checksum are never looked at.
    std::vector<std::uint8_t> bytes(MAX_PROTOCOL_FILE_SIZE);
    const auto length = readFileStart(file, bytes.data(), bytes.size());
    if (!length) return ProtocolOpen::Unreadable;
    bytes.resize(*length);
    if (!readProtocolImage(store, bytes)) return ProtocolOpen::Invalid;
    setSlotText(store.currentProtocolPath, nativeToU16(file.native()));
    return ProtocolOpen::Opened;
}

bool readProtocolFile(MeasurementStore& store, const std::filesystem::path& file) {
    return openProtocolFile(store, file) == ProtocolOpen::Opened;
}
