// Every kind of file the program writes, each through the real writer the
// program calls for it, with the store contents a write reads: the tests of
// failed writes run over this table.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/configuration.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/protocol_file.h"
#include "core/text_export.h"
#include "language/text_ids.h"
#include "report/results_csv.h"
#include "report/template_engine.h"
#include "selection/limit_sets.h"

namespace file_kinds {

namespace fs = std::filesystem;

// The faults a write can meet, in the order of FileKind::failure.
enum Fault { SHORT_WRITE, FAILED_FLUSH, FAILED_RENAME, FAILED_CREATE, FAULT_COUNT };

struct InjectedFault {
    const char* name;
    WriteFaults faults;
};

inline constexpr InjectedFault FAULTS[FAULT_COUNT] = {
    {"first write short", {.shortWriteAt = 1}},
    {"flush fails", {.failFlush = true}},
    {"rename fails", {.failRename = true}},
    {"create fails", {.failCreate = true}},
};

// What a write reports: the bool of the savers (the window shows one
// message for every failure) or the status the report message is chosen by.
inline std::string resultOf(bool written) { return written ? "written" : "failed"; }

inline std::string resultOf(ReportStatus status) {
    switch (status) {
        case ReportStatus::Written: return "written";
        case ReportStatus::TemplateMissing: return "template missing";
        case ReportStatus::ReportNotCreated: return "report not created";
        case ReportStatus::ReportNotReplaced: return "report not replaced";
        case ReportStatus::WriteFailed: return "write failed";
    }
    return "unknown";
}

// One kind of file: the real writer the program calls for it, and the
// result each fault must give.
struct FileKind {
    const char* name;
    const char* fileName;
    std::string (*write)(MeasurementStore& store, const fs::path& folder, const fs::path& file);
    const char* failure[FAULT_COUNT];
};

inline const FileKind FILE_KINDS[] = {
    {"protocol", "job.opr",
     [](MeasurementStore& store, const fs::path&, const fs::path& file) {
         return resultOf(writeProtocolFile(store, file));
     },
     {"failed", "failed", "failed", "failed"}},
    {"configuration", "Kalivera.cfg",
     [](MeasurementStore& store, const fs::path&, const fs::path& file) {
         return resultOf(writeConfigurationFile(store.configuration, file));
     },
     {"failed", "failed", "failed", "failed"}},
    {"limit file", "limits.lim",
     [](MeasurementStore& store, const fs::path&, const fs::path& file) {
         return resultOf(saveLimitFile(store.editedLimitSets, file));
     },
     {"failed", "failed", "failed", "failed"}},
    {"text export", "export.txt",
     [](MeasurementStore& store, const fs::path&, const fs::path& file) {
         return resultOf(writeInstrumentText(store, file));
     },
     {"failed", "failed", "failed", "failed"}},
    {"results CSV", "job.csv",
     [](MeasurementStore& store, const fs::path&, const fs::path& file) {
         return resultOf(writeResultsCsv(store, file));
     },
     {"failed", "failed", "failed", "failed"}},
    {"report", "job.opr.html",
     [](MeasurementStore& store, const fs::path& folder, const fs::path& file) {
         // The template names the store's text, so each version of the
         // store gives another report.
         std::string text = "<p>";
         text.append(reinterpret_cast<const char*>(store.rawText.data()), store.rawTextLength);
         const std::u16string templateText = asciiToU16(text + "</p>");
         const fs::path templateFile = folder / "report_template.htm";
         std::ofstream(templateFile, std::ios::binary)
             .write(reinterpret_cast<const char*>(templateText.data()),
                    static_cast<std::streamsize>(templateText.size() * sizeof(char16_t)));
         return resultOf(generateReportTo(store, templateFile, file));
     },
     {"write failed", "write failed", "report not replaced", "report not created"}},
};

// Makes everything a file is written from differ from the previous version.
inline void changeStore(MeasurementStore& store, int version) {
    const std::string text = "OLM55 version " + std::to_string(version) + "\r\n";
    std::memcpy(store.rawText.data(), text.data(), text.size());
    store.rawTextLength = static_cast<std::uint32_t>(text.size());
    store.configuration.portNumber = static_cast<std::uint32_t>(version);
    store.editedLimitSets[0].name[0] = static_cast<std::uint8_t>('A' + version);
    store.protocolForm.route[0] = static_cast<char16_t>(u'a' + version);
    store.language.entries[TEXT_NUMBER_COLUMN] = asciiToU16("No. " + std::to_string(version));
}

// The parts of the store a write reads and must leave alone.
inline std::vector<std::uint8_t> storeBytes(const MeasurementStore& store) {
    std::vector<std::uint8_t> bytes = protocolImage(store);
    const auto append = [&bytes](const void* data, std::size_t size) {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), first, first + size);
    };
    append(&store.configuration, sizeof store.configuration);
    append(store.editedLimitSets.data(), sizeof store.editedLimitSets);
    append(store.activeLimitSets.data(), sizeof store.activeLimitSets);
    append(store.currentProtocolPath, sizeof store.currentProtocolPath);
    return bytes;
}

}  // namespace file_kinds
