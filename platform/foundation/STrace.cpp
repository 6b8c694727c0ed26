#include "STrace.h"

namespace {

std::u16string decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

STraceParameter::STraceParameter(const char* s) : m_text(lumoUtf8ToUtf16(s ? s : "")), m_present(true) {}
STraceParameter::STraceParameter(int value) : m_text(decimal(value)), m_present(true) {}
STraceParameter::STraceParameter(long value) : m_text(decimal(value)), m_present(true) {}
STraceParameter::STraceParameter(long long value) : m_text(decimal(value)), m_present(true) {}

std::u16string STraceObj::Substitute(const std::u16string& format, const STraceParameter* params, int count)
{
    std::u16string out;
    out.reserve(format.size() + 32);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        if (c == u'%' && i + 1 < format.size()) {
            const int index = format[i + 1] - u'1';
            if (index >= 0 && index < count && params[index].present()) {
                out += params[index].text();
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

void STraceObj::operator()(const char16_t* format, const STraceParameter& p1, const STraceParameter& p2,
                           const STraceParameter& p3) const
{
    const STraceParameter params[3] = {p1, p2, p3};
    STraceRecord record;
    record.level = m_level;
    record.area = m_file;
    record.line = m_line;
    record.flag = m_flag;
    record.text = Substitute(format ? format : u"", params, 3);
    SLogger::Emit(record);
}

void STraceObj::operator()(const char* format, const STraceParameter& p1, const STraceParameter& p2,
                           const STraceParameter& p3) const
{
    const std::u16string wide = lumoUtf8ToUtf16(format ? format : "");
    (*this)(wide.c_str(), p1, p2, p3);
}
