#include <filesystem>
#include <optional>
#include <string>

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
    "IN.opr -o OUT.html --language LNG [--template TPL]",
    "Writes the HTML report of a protocol file as the program's \"Generate HTML\n"
    "protocol\" command does, without opening a browser. OUT.html is replaced\n"
    "only when the report is complete.\n"
    "\n"
    "  IN.opr          the protocol file\n"
    "  -o OUT.html     the report to write\n"
    "  --language LNG  the language file of the report's texts\n"
    "  --template TPL  the report template; without it, the template that LNG\n"
    "                  names for the protocol's data (text 0, or text 113 for\n"
    "                  ZD615 data), relative to the working directory\n",
    1,
    {"-o", "--language"},
    {"--template"},
};

// The template the language file names, relative to the working directory.
std::optional<std::filesystem::path> namedTemplate(const MeasurementStore& store) {
    try {
        return std::filesystem::current_path() / std::filesystem::path(templateName(store));
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

int runReport(std::span<const std::string_view> arguments) {
    CommandLine line;
    if (const std::optional<int> exit = readCommandLine(REPORT_SYNTAX, arguments, line)) return *exit;
    const std::string protocolArgument(line.positionals[0]);
    const std::string reportArgument(*line.option("-o"));
    const std::string languageArgument(*line.option("--language"));
    const std::optional<std::string_view> templateArgument = line.option("--template");

    const auto store = makeStore();
    if (!loadLanguageFile(store->language, argumentPath(languageArgument))) {
        return failure("cannot read the language file " + languageArgument);
    }
    if (!readProtocolFile(*store, argumentPath(protocolArgument))) {
        return failure("cannot read the protocol file " + protocolArgument);
    }

    const std::string templateText =
        templateArgument ? std::string(*templateArgument) : u16ToUtf8(templateName(*store));
    const std::optional<std::filesystem::path> templateFile =
        templateArgument ? argumentPath(*templateArgument) : namedTemplate(*store);
    const ReportStatus status =
        templateFile ? generateReportTo(*store, *templateFile, argumentPath(reportArgument))
                     : ReportStatus::TemplateMissing;
    switch (status) {
    case ReportStatus::Written: return EXIT_OK;
    case ReportStatus::TemplateMissing:
        return failure("cannot read the report template " + templateText);
    case ReportStatus::ReportNotCreated:
        return failure("cannot create the report " + reportArgument);
    case ReportStatus::ReportNotReplaced:
        return failure("cannot replace the report " + reportArgument);
    case ReportStatus::WriteFailed:
        return failure("writing the report " + reportArgument + " failed");
    }
    return EXIT_FAILED;
}
