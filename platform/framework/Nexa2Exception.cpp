#include "platform/framework/Nexa2Exception.h"

#include "platform/foundation/SResString.h"

Nexa2Exception::Nexa2Exception(uint32_t messageNumber, const SIArray<SWCharString>& substTexts)
    : m_messageNumber(messageNumber), m_texts(substTexts), m_what(getText().toUtf8())
{
}

Nexa2Exception::Nexa2Exception(uint32_t messageNumber, const SWCharString& text1, const SWCharString& text2,
                               const SWCharString& text3)
    : m_messageNumber(messageNumber)
{
    // Texts up to the last non-empty one keep their positions.
    const SWCharString* texts[3] = {&text1, &text2, &text3};
    int count = 0;
    for (int i = 0; i < 3; ++i)
        if (!texts[i]->isEmpty()) count = i + 1;
    for (int i = 0; i < count; ++i) m_texts.append(*texts[i]);
    m_what = getText().toUtf8();
}

// Design decision: the framework's messages are English whatever the locale
// (the catalog holds no other language yet), so the text is loaded with the
// default locale.
SWCharString Nexa2Exception::getText() const { return SResString::Format(m_messageNumber, 1024, m_texts); }
