#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/protocol_file.h"
#include "language/language_table.h"
#include "report/template_engine.h"

namespace {

const CommandSyntax REPORT_SYNTAX{
    "report",
    "IN.opr... (-o OUT.html | -d DIR) --language LNG [--template TPL]",
    "Writes the HTML report of a protocol file as the program's \"Generate HTML\n"
    "protocol\" command does, without opening a browser. A report is replaced\n"
    "only when it is complete.\n"
    "\n"
    "  IN.opr...       the protocol files: one with -o, any number with -d\n"
    "  -o OUT.html     the report of the one protocol file\n"
    "  -d DIR          an existing folder; the report of each protocol file goes\n"
    "                  there under the protocol's name (IN.opr -> DIR/IN.html).\n"
    "                  A protocol that fails gets one error line naming it, the\n"
    "                  others are still written, and the exit code is 1\n"
    "  --language LNG  the language file of the report's texts\n"
    "  --template TPL  the report template; without it, the template that LNG\n"
    "                  names for the protocol's data (text 0, or text 113 for\n"
    "                  ZD615 data), relative to the working directory\n",
    1,
    {"--language"},
    {"-o", "-d", "--template"},
    true,
};

// The template the language file names, relative to the working directory.
std::optional<std::filesystem::path> namedTemplate(const MeasurementStore& store) {
    try {
        return std::filesystem::current_path() / std::filesystem::path(templateName(store));
    } catch (...) {
        return std::nullopt;
    }
}

std::string utf8Of(const std::filesystem::path& path) { return u16ToUtf8(path.u16string()); }

// One report, or the error line of its failure: the exit code.
int writeReport(const LanguageTable& language, const std::string& protocolArgument,
                const std::filesystem::path& reportFile,
                const std::optional<std::string_view>& templateArgument) {
    const auto store = makeStore();
    store->language = language;
    if (!readProtocolFile(*store, argumentPath(protocolArgument))) {
        return failure("cannot read the protocol file " + protocolArgument);
    }

    const std::string templateText =
        templateArgument ? std::string(*templateArgument) : u16ToUtf8(templateName(*store));
    const std::optional<std::filesystem::path> templateFile =
        templateArgument ? argumentPath(*templateArgument) : namedTemplate(*store);
    const ReportStatus status = templateFile ? generateReportTo(*store, *templateFile, reportFile)
                                             : ReportStatus::TemplateMissing;
    const std::string reportText = utf8Of(reportFile);
    switch (status) {
    case ReportStatus::Written: return EXIT_OK;
    case ReportStatus::TemplateMissing:
        return failure("cannot read the report template " + templateText);
    case ReportStatus::ReportNotCreated: return failure("cannot create the report " + reportText);
    case ReportStatus::ReportNotReplaced: return failure("cannot replace the report " + reportText);
    case ReportStatus::WriteFailed: return failure("writing the report " + reportText + " failed");
    }
    return EXIT_FAILED;
}

// Every protocol's report in the folder; two protocols of the same name
// would write one report, so the later one fails instead of replacing the
// earlier one's.
int writeReportsInFolder(const LanguageTable& language, const CommandLine& line,
                         const std::string& folderArgument) {
    const std::filesystem::path folder = argumentPath(folderArgument);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return failure("the report folder " + folderArgument + " does not exist");
    }
    std::set<std::filesystem::path> written;
    int exit = EXIT_OK;
    for (std::string_view protocol : line.positionals) {
        const std::string protocolArgument(protocol);
        const std::filesystem::path reportFile =
            folder / argumentPath(protocol).filename().replace_extension(".html");
        const bool fresh = written.insert(reportFile).second;
        const int result =
            fresh ? writeReport(language, protocolArgument, reportFile, line.option("--template"))
                  : failure("the report " + utf8Of(reportFile) + " of " + protocolArgument +
                            " is that of an earlier protocol of the same name");
        if (result != EXIT_OK) exit = EXIT_FAILED;
    }
    return exit;
}

}  // namespace

int runReport(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const std::optional<int> exit = readCommandLine(REPORT_SYNTAX, arguments, line)) return *exit;
    const std::optional<std::string_view> reportArgument = line.option("-o");
    const std::optional<std::string_view> folderArgument = line.option("-d");
    if (reportArgument.has_value() == folderArgument.has_value()) {
        return usageError(REPORT_SYNTAX, "give either -o or -d");
    }
    if (reportArgument && line.positionals.size() != 1) {
        return usageError(REPORT_SYNTAX, "-o takes one protocol file; use -d for several");
    }

    const std::string languageArgument(*line.option("--language"));
    LanguageTable language;
    if (!loadLanguageFile(language, argumentPath(languageArgument))) {
        return failure("cannot read the language file " + languageArgument);
    }
    if (folderArgument) return writeReportsInFolder(language, line, std::string(*folderArgument));
    return writeReport(language, std::string(line.positionals[0]), argumentPath(*reportArgument),
                       line.option("--template"));
}
