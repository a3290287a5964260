// The HTML report: a template read in one pass, its plain text copied,
// field markers replaced by the job data and blocks handed to the content
// handlers of the loss-meter and ZD615 reports.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class AtomicFileWriter;
struct LanguageTable;
struct MeasurementStore;

// Templates are read up to this many bytes; the rest of a file is ignored.
inline constexpr std::size_t TEMPLATE_MAX_BYTES = 393216;
// Marker names are compared by this many characters at most.
inline constexpr std::size_t MARKER_NAME_MAX = 127;

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

enum class ReportStatus {
    Written,           // complete; show reportPath
    TemplateMissing,   // language text 84, " ( ", templatePath, " )"
    ReportNotCreated,  // language text 85, " ( ", reportPath, " )"; also when an
                       // existing report cannot be replaced (read-only, held open)
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
