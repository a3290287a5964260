#include "report/template_engine.h"

#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/measurement_store.h"
#include "language/text_ids.h"
#include "report/loss_report.h"
#include "report/report_text.h"
#include "report/zd615_report.h"

namespace {

constexpr char16_t ASTERISK = u'*';
// The name buffer holds one unit more than is compared, so that a longer
// name is known to have been cut.
constexpr std::size_t NAME_BUFFER = MARKER_NAME_MAX + 1;

enum class Block {
    Begin,
    ColumnHeadsEnd,
    ColumnRepeatsEnd,
    CellPatternEnd,
    ValueLinesEnd,
    MeansLineEnd,
    MaximaLineEnd,
    MinimaLineEnd,
    LossLinesEnd,
    TableHeadEnd,
    TableRowEnd,
    ValueTableFootEnd,
    LimitTableFootEnd,
};

struct BlockKeyword {
    std::u16string_view name;
    Block block;
};

constexpr std::array<BlockKeyword, 30> BLOCK_KEYWORDS = {{
    {u"ADDWAVEBEG1", Block::Begin},
    {u"ADDWAVEEND1", Block::ColumnHeadsEnd},
    {u"ADDWAVEBEG2", Block::Begin},
    {u"ADDWAVEEND2", Block::ColumnRepeatsEnd},
    {u"ADDWAVEBEG3", Block::Begin},
    {u"ADDWAVEEND3", Block::CellPatternEnd},
    {u"VALLINEBEG", Block::Begin},
    {u"VALLINEEND", Block::ValueLinesEnd},
    {u"STATPARAMBEG", Block::Begin},
    {u"STATPARAMEND", Block::CellPatternEnd},
    {u"STATLINEBEG1", Block::Begin},
    {u"STATLINEEND1", Block::MeansLineEnd},
    {u"STATLINEBEG2", Block::Begin},
    {u"STATLINEEND2", Block::MaximaLineEnd},
    {u"STATLINEBEG3", Block::Begin},
    {u"STATLINEEND3", Block::MinimaLineEnd},
    {u"LOSSLINEBEG", Block::Begin},
    {u"LOSSLINEEND", Block::LossLinesEnd},
    {u"ZD615_VAL_TABLE_TOP_BEG", Block::Begin},
    {u"ZD615_VAL_TABLE_TOP_END", Block::TableHeadEnd},
    {u"ZD615_VAL_TABLE_LOC_BEG", Block::Begin},
    {u"ZD615_VAL_TABLE_LOC_END", Block::TableRowEnd},
    {u"ZD615_VAL_TABLE_BOT_BEG", Block::Begin},
    {u"ZD615_VAL_TABLE_BOT_END", Block::ValueTableFootEnd},
    {u"ZD615_LIM_TABLE_TOP_BEG", Block::Begin},
    {u"ZD615_LIM_TABLE_TOP_END", Block::TableHeadEnd},
    {u"ZD615_LIM_TABLE_VAL_BEG", Block::Begin},
    {u"ZD615_LIM_TABLE_VAL_END", Block::TableRowEnd},
    {u"ZD615_LIM_TABLE_BOT_BEG", Block::Begin},
    {u"ZD615_LIM_TABLE_BOT_END", Block::LimitTableFootEnd},
}};

struct FieldKeyword {
    std::u16string_view name;
    std::u16string_view (*text)(const ProtocolForm&);
};

constexpr std::array<FieldKeyword, 15> FIELD_KEYWORDS = {{
    {u"DATE", [](const ProtocolForm& form) { return slotText(form.date); }},
    {u"OPERATOR", [](const ProtocolForm& form) { return slotText(form.measuredBy); }},
    {u"ORGANIZATION", [](const ProtocolForm& form) { return slotText(form.organisation); }},
    {u"TRACE", [](const ProtocolForm& form) { return slotText(form.route); }},
    {u"SECTION", [](const ProtocolForm& form) { return slotText(form.section); }},
    {u"ENDA", [](const ProtocolForm& form) { return slotText(form.endA); }},
    {u"ENDB", [](const ProtocolForm& form) { return slotText(form.endB); }},
    {u"INSTRUMENT", [](const ProtocolForm& form) { return slotText(form.instrument); }},
    {u"THREADLEN", [](const ProtocolForm& form) { return slotText(form.fibreLength); }},
    {u"WELDNUM", [](const ProtocolForm& form) { return slotText(form.spliceCount); }},
    {u"WELDLIMIT", [](const ProtocolForm& form) { return slotText(form.spliceLimit); }},
    {u"CONNUM", [](const ProtocolForm& form) { return slotText(form.connectorCount); }},
    {u"CONLIMIT", [](const ProtocolForm& form) { return slotText(form.connectorLimit); }},
    {u"DIVNUM", [](const ProtocolForm& form) { return slotText(form.splitterCount); }},
    {u"DIVLIMIT", [](const ProtocolForm& form) { return slotText(form.splitterLimit); }},
}};

// One pass over the template. Asterisks pair strictly two by two; a pair
// opens a marker and the next pair closes it. Text inside a block reaches
// the report only through the block's handler.
class TemplateScan {
public:
    TemplateScan(MeasurementStore& store, ReportWriter& out, std::u16string_view text)
        : store_(store), out_(out), text_(text), loss_(store, out), zd615_(store, out) {}

    bool run();

private:
    bool writeTemplateText(std::size_t from, std::size_t to) {
        return out_.write(text_.substr(from, to - from));
    }
    bool dispatch(std::u16string_view name);
    bool endBlock(Block block);

    MeasurementStore& store_;
    ReportWriter& out_;
    std::u16string_view text_;
    LossReport loss_;
    Zd615Report zd615_;

    std::size_t resume_ = 0;      // first template unit not yet copied
    std::size_t markerStart_ = 0;
    bool inBlock_ = false;
    // Just behind the last BEG marker; none before the first one.
    std::optional<std::size_t> blockStart_;
};

bool TemplateScan::run() {
    bool pendingAsterisk = false;
    bool inMarker = false;
    std::u16string name;
    name.reserve(NAME_BUFFER);

    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char16_t unit = text_[i];
        if (inMarker && unit != ASTERISK && name.size() < NAME_BUFFER) name.push_back(unit);
        if (unit != ASTERISK) continue;

        if (!pendingAsterisk) {
            // A lone asterisk so far: the text before it is safe to copy, and
            // is never copied again.
            if (!inMarker && !inBlock_) {
                if (!writeTemplateText(resume_, i)) return false;
                resume_ = i;
            }
            pendingAsterisk = true;
            continue;
        }
        pendingAsterisk = false;
        if (!inMarker) {
            markerStart_ = i - 1;
            name.clear();
            inMarker = true;
            continue;
        }
        resume_ = i + 1;
        inMarker = false;
        if (name.size() > MARKER_NAME_MAX) name.resize(MARKER_NAME_MAX);
        if (!dispatch(name)) return false;
    }
    // An unclosed marker swallows the rest of the template.
    return inMarker || writeTemplateText(resume_, text_.size());
}

bool TemplateScan::dispatch(std::u16string_view name) {
    for (const FieldKeyword& field : FIELD_KEYWORDS) {
        // Written where the marker stands, even inside a block.
        if (field.name == name) return out_.write(htmlEscaped(field.text(store_.protocolForm)));
    }
    // Summaries and charts, like fields, are written where the marker stands.
    if (name == u"LOSSSUMMARY") return loss_.writeSummary();
    if (name == u"LOSSCHART") return loss_.writeCharts();
    if (name == u"ZDSUMMARY") return zd615_.writeSummary();
    for (const BlockKeyword& keyword : BLOCK_KEYWORDS) {
        if (keyword.name != name) continue;
        if (keyword.block == Block::Begin) {
            // Blocks do not nest: a later BEG only moves the block start.
            blockStart_ = resume_;
            inBlock_ = true;
            return true;
        }
        return endBlock(keyword.block);
    }
    return true;  // any other marker vanishes
}

bool TemplateScan::endBlock(Block block) {
    // The body runs from the last BEG marker of any kind to this END marker;
    // an END before any BEG has an empty body.
    std::u16string_view body;
    if (blockStart_ && *blockStart_ <= markerStart_) {
        body = text_.substr(*blockStart_, markerStart_ - *blockStart_);
    }
    inBlock_ = false;
    switch (block) {
    case Block::Begin: return true;
    case Block::ColumnHeadsEnd: return loss_.writeColumnHeads(body);
    case Block::ColumnRepeatsEnd: return loss_.writeColumnRepeats(body);
    case Block::CellPatternEnd: loss_.keepCellPattern(body); return true;
    case Block::ValueLinesEnd: return loss_.writeValueLines(body);
    case Block::MeansLineEnd: return loss_.writeStatisticsLine(StatisticsLine::Means, body);
    case Block::MaximaLineEnd: return loss_.writeStatisticsLine(StatisticsLine::Maxima, body);
    case Block::MinimaLineEnd: return loss_.writeStatisticsLine(StatisticsLine::Minima, body);
    case Block::LossLinesEnd: return loss_.writeLossLimitLines(body);
    case Block::TableHeadEnd: zd615_.keepTableHead(body); return true;
    case Block::TableRowEnd: zd615_.keepTableRow(body); return true;
    case Block::ValueTableFootEnd: return zd615_.writeValueTables(body);
    case Block::LimitTableFootEnd: return zd615_.writeLimitTable(body);
    }
    return true;
}

// Language texts may hold anything, including units that name no path.
std::optional<std::filesystem::path> pathFromText(std::u16string_view text) {
    try {
        return std::filesystem::path(text);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::u16string> textFromPath(const std::filesystem::path& path) {
    try {
        return path.u16string();
    } catch (...) {
        return std::nullopt;
    }
}

// UTF-16LE units as they stand, at most TEMPLATE_MAX_BYTES; an odd last
// byte is ignored. Nothing when the file cannot be opened.
std::optional<std::u16string> readTemplate(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes(TEMPLATE_MAX_BYTES, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::u16string text(static_cast<std::size_t>(file.gcount()) / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    return text;
}

// The protocol path, set to workingDirectory/new_protocol.opr when empty;
// false when that path does not fit the store.
bool ensureProtocolPath(MeasurementStore& store, const std::filesystem::path& workingDirectory) {
    if (!slotText(store.currentProtocolPath).empty()) return true;
    const std::optional<std::u16string> path =
        textFromPath(workingDirectory / std::filesystem::path(u"new_protocol.opr"));
    if (!path || path->size() >= std::size(store.currentProtocolPath)) return false;
    setSlotText(store.currentProtocolPath, *path);
    return true;
}

// The summary with cleared statistics and the budget of the form, as the
// report blocks read them.
void prepareStore(MeasurementStore& store) {
    rebuildWavelengthSummary(store);
    computeBudget(store);
}

ReportStatus writeReport(MeasurementStore& store, std::u16string_view templateText,
                         const std::filesystem::path& reportFile) {
    AtomicFileWriter file(reportFile);
    if (!file.isOpen()) return ReportStatus::ReportNotCreated;
    ReportWriter out(file);
    TemplateScan scan(store, out, templateText);
    if (!scan.run()) return ReportStatus::WriteFailed;
    if (!file.commit()) {
        return file.targetRefused() ? ReportStatus::ReportNotReplaced : ReportStatus::WriteFailed;
    }
    return ReportStatus::Written;
}

}  // namespace

const std::u16string& templateName(const MeasurementStore& store) {
    return store.language.text(store.instrumentKind == KIND_ZD615 ? TEXT_ZD615_TEMPLATE_FILE
                                                                  : TEXT_LOSS_TEMPLATE_FILE);
}

ReportStatus generateReportTo(MeasurementStore& store, const std::filesystem::path& templateFile,
                              const std::filesystem::path& reportFile) {
    prepareStore(store);
    const std::optional<std::u16string> templateText = readTemplate(templateFile);
    if (!templateText) return ReportStatus::TemplateMissing;
    return writeReport(store, *templateText, reportFile);
}

ReportOutcome generateReportFile(MeasurementStore& store,
                                 const std::filesystem::path& workingDirectory) {
    prepareStore(store);
    ReportOutcome outcome{ReportStatus::Written, templateName(store), {}};
    const std::optional<std::filesystem::path> templateFile = pathFromText(outcome.templatePath);
    const std::optional<std::u16string> templateText =
        templateFile ? readTemplate(workingDirectory / *templateFile) : std::nullopt;
    if (!templateText) {
        outcome.status = ReportStatus::TemplateMissing;
        return outcome;
    }
    if (!ensureProtocolPath(store, workingDirectory)) {
        outcome.status = ReportStatus::ReportNotCreated;
        return outcome;
    }
    outcome.reportPath = std::u16string(slotText(store.currentProtocolPath)) + u".html";
    const std::optional<std::filesystem::path> reportFile = pathFromText(outcome.reportPath);
    outcome.status = reportFile ? writeReport(store, *templateText, *reportFile)
                                : ReportStatus::ReportNotCreated;
    return outcome;
}

std::u16string reportFailureMessage(const LanguageTable& language, const ReportOutcome& outcome) {
    switch (outcome.status) {
    case ReportStatus::Written: return {};
    case ReportStatus::TemplateMissing:
        return language.text(TEXT_TEMPLATE_MISSING) + u" ( " + outcome.templatePath + u" )";
    case ReportStatus::ReportNotCreated: return language.text(TEXT_REPORT_NOT_CREATED);
    case ReportStatus::ReportNotReplaced:
        return language.text(TEXT_REPORT_NOT_CREATED) + u" ( " + outcome.reportPath + u" )";
    case ReportStatus::WriteFailed: return language.text(TEXT_NOT_WRITTEN);
    }
    return {};
}
