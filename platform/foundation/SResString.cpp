#include "SResString.h"

#include <string>

#include "SMessageCatalog.h"

SResString::SResString(uint32_t messageNumber, uint32_t /*locale*/)
{
    if (const char16_t* text = SMessageCatalogLookup(messageNumber)) {
        m_text = text;
        m_found = true;
    } else {
        const std::string number = std::to_string(messageNumber);
        m_text = u"Unknown message ";
        m_text += SWCharString(std::u16string(number.begin(), number.end()));
    }
}

SWCharString SResString::Format(uint32_t messageNumber, uint32_t locale, const SIArray<SWCharString>& texts)
{
    const std::u16string format = SResString(messageNumber, locale).text().str();
    std::u16string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] >= u'1' && format[i + 1] <= u'8') {
            const std::size_t index = static_cast<std::size_t>(format[i + 1] - u'1');
            if (index < texts.count()) out += texts[index].str();
            ++i;
            continue;
        }
        out += format[i];
    }
    return SWCharString(out);
}
