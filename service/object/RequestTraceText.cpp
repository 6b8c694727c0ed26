#include "service/object/RequestTraceText.h"

#include "platform/foundation/SLogger.h"

namespace {

constexpr std::size_t kShownUnits = 8;

}  // namespace

SWCharString RequestTraceText(const SWCharString& requestText)
{
    if (SLogger::TraceWholeTokens()) return requestText;
    static const std::u16string member = u"\"logonToken\":\"";
    std::u16string text = requestText.str();
    const std::size_t start = text.find(member);
    if (start == std::u16string::npos) return requestText;
    const std::size_t first = start + member.size();
    // The token ends at the first quote that is not escaped.
    std::size_t end = first;
    while (end < text.size() && text[end] != u'"') end += text[end] == u'\\' ? 2 : 1;
    if (end >= text.size() || end == first) return requestText;
    // Shown: at most eight code units, never part of an escape sequence.
    std::size_t shown = first;
    while (shown < end && shown - first < kShownUnits && text[shown] != u'\\') ++shown;
    text.replace(shown, end - shown, u"...");
    return SWCharString(text);
}
