#include "report/report_text.h"

#include "core/atomic_file.h"
#include "core/number_text.h"

bool replaceFirst(std::u16string& destination, std::u16string_view source,
                  std::u16string_view pattern, std::u16string_view replacement) {
    const std::size_t at = source.find(pattern);
    if (at == std::u16string_view::npos) {
        destination.assign(source);
        return false;
    }
    destination.assign(source.substr(0, at));
    destination.append(replacement);
    destination.append(source.substr(at + pattern.size()));
    return true;
}

bool replaceFirst(std::u16string& text, std::u16string_view pattern,
                  std::u16string_view replacement) {
    const std::size_t at = text.find(pattern);
    if (at == std::u16string::npos) return false;
    text.replace(at, pattern.size(), replacement);
    return true;
}

std::u16string htmlEscaped(std::u16string_view text) {
    std::u16string escaped;
    escaped.reserve(text.size());
    for (char16_t unit : text) {
        switch (unit) {
        case u'&': escaped += u"&amp;"; break;
        case u'<': escaped += u"&lt;"; break;
        case u'>': escaped += u"&gt;"; break;
        case u'"': escaped += u"&quot;"; break;
        default: escaped += unit; break;
        }
    }
    return escaped;
}

std::u16string summaryCountCell(std::uint32_t count, bool failing) {
    const std::u16string number = integerText(count);
    return u"<td class=\"num\">" + (failing && count > 0 ? u"<b>" + number + u"</b>" : number) +
           u"</td>";
}

bool ReportWriter::write(std::u16string_view text) {
    return text.empty() || file_.write(text.data(), text.size() * sizeof(char16_t));
}
