// A store, a language table of distinct texts ("T96") and a temporary
// working folder for the report tests, and a reader of report tables.
#pragma once

#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "file_fixture.h"
#include "report/template_engine.h"

// The cells of each row of the first HTML table in text, tags inside cells kept.
inline std::vector<std::vector<std::string>> tableCells(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    const std::string table = text.substr(0, text.find("</table>"));
    static const std::regex cell(R"(<t[hd][^>]*>(.*?)</t[hd]>)");
    for (std::size_t row = table.find("<tr>"); row != std::string::npos;
         row = table.find("<tr>", row + 1)) {
        const std::string cells = table.substr(row, table.find("</tr>", row) - row);
        rows.emplace_back();
        for (auto it = std::sregex_iterator(cells.begin(), cells.end(), cell);
             it != std::sregex_iterator(); ++it) {
            rows.back().push_back((*it)[1]);
        }
    }
    return rows;
}

// A count as a summary cell shows it.
inline std::string countText(std::uint32_t count, bool failing) {
    const std::string number = std::to_string(count);
    return failing && count > 0 ? "<b>" + number + "</b>" : number;
}

class ReportFixture : public FileTest {
protected:
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        FileTest::SetUp();
        for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
            store->language.entries[number] =
                asciiToU16(std::string("T").append(std::to_string(number)));
        }
        store->language.entries[0] = u"loss.htm";
        store->language.entries[113] = u"zd615.htm";
        setSlotText(store->currentProtocolPath, (folder / "job.opr").u16string());
    }

    const std::u16string& text(std::size_t number) const { return store->language.text(number); }

    static std::string utf16Bytes(std::u16string_view text) {
        std::string bytes(text.size() * 2, '\0');
        std::memcpy(bytes.data(), text.data(), bytes.size());
        return bytes;
    }
    void writeTemplate(std::u16string_view text, const char* name = "loss.htm") const {
        put(folder / name, utf16Bytes(text));
    }

    std::filesystem::path reportFile() const {
        return std::filesystem::path(std::u16string(slotText(store->currentProtocolPath)) +
                                     u".html");
    }
    static std::u16string readUtf16(const std::filesystem::path& file) {
        const std::string bytes = contents(file);
        std::u16string text(bytes.size() / 2, u'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);
        return text;
    }

    // The report of the given template, or a failure naming the outcome.
    std::u16string reportOf(std::u16string_view templateText, const char* name = "loss.htm") {
        writeTemplate(templateText, name);
        const ReportOutcome outcome = generateReportFile(*store, folder);
        EXPECT_EQ(outcome.status, ReportStatus::Written);
        return readUtf16(reportFile());
    }
};
