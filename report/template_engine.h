// The HTML report: a template read in one pass, its plain text copied,
// field markers replaced by the job data and blocks handed to the content
// handlers of the loss-meter and ZD615 reports.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct LanguageTable;
struct MeasurementStore;

// Templates are read up to this many bytes; the rest of a file is ignored.
inline constexpr std::size_t TEMPLATE_MAX_BYTES = 393216;
// Marker names are compared by this many characters at most.
inline constexpr std::size_t MARKER_NAME_MAX = 127;

enum class ReportStatus {
    Written,           // complete; show reportPath
    TemplateMissing,   // language text 84, " ( ", templatePath, " )"
    ReportNotCreated,  // language text 85
    // An existing report that cannot be replaced (read-only, held open by
    // another program): language text 85, " ( ", reportPath, " )", so the
    // operator knows which file to close or unlock.
    ReportNotReplaced,
    WriteFailed,       // language text 83; the previous report is intact
};

struct ReportOutcome {
    ReportStatus status;
    std::u16string templatePath;  // as named by the language file
    std::u16string reportPath;    // empty until the report path is known
};

// The template file named by the language file for the store's data:
// language text 113 for ZD615 data, else text 0.
const std::u16string& templateName(const MeasurementStore& store);

// Builds the report of the store from templateFile into reportFile, both as
// given. Rebuilds the wavelength summary and the loss budget first; the
// report replaces reportFile only when it is complete.
ReportStatus generateReportTo(MeasurementStore& store, const std::filesystem::path& templateFile,
                              const std::filesystem::path& reportFile);

// Builds the report of the store into currentProtocolPath + ".html", setting
// currentProtocolPath to workingDirectory/new_protocol.opr when none is set.
// The caller reads the form into protocolForm before. The template is
// language text 113 for ZD615 data, else text 0, relative to workingDirectory.
// The report replaces the previous one only when it is complete.
ReportOutcome generateReportFile(MeasurementStore& store,
                                 const std::filesystem::path& workingDirectory);

// The message text of a failed outcome (empty for Written).
std::u16string reportFailureMessage(const LanguageTable& language, const ReportOutcome& outcome);
