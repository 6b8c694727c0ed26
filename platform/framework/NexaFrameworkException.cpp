#include "platform/framework/NexaFrameworkException.h"

#include <omniORB4/CORBA.h>

NexaFrameworkException::NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                                               const char16_t* subst1, const char16_t* subst2,
                                               const char16_t* subst3, const char16_t* subst4,
                                               const char16_t* subst5, const char16_t* subst6,
                                               const char16_t* subst7, const char16_t* subst8)
    : m_errorCode(errorCode), m_message(message ? message : ""), m_messageNumber(messageNumber)
{
    const char16_t* texts[MAX_SUBST_PARAMS] = {subst1, subst2, subst3, subst4, subst5, subst6, subst7, subst8};
    for (int i = 0; i < MAX_SUBST_PARAMS; ++i)
        if (texts[i]) setSubst(i, texts[i]);
    finish();
}

NexaFrameworkException::NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                                               const CORBA::SystemException& ex, const char16_t* subst1,
                                               const char16_t* subst2, const char16_t* subst3,
                                               const char* sourceFile, int sourceLine)
    : NexaFrameworkException(errorCode, message, messageNumber, SCorbaSystemError::fromSystemException(ex), subst1,
                             subst2, subst3, sourceFile, sourceLine)
{
}

NexaFrameworkException::NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                                               const CORBA::Exception& ex, const char16_t* subst1,
                                               const char16_t* subst2, const char16_t* subst3,
                                               const char* sourceFile, int sourceLine)
    : NexaFrameworkException(errorCode, message, messageNumber, SCorbaSystemError::fromException(ex), subst1,
                             subst2, subst3, sourceFile, sourceLine)
{
}

NexaFrameworkException::NexaFrameworkException(int errorCode, const char* message, uint32_t messageNumber,
                                               const SCorbaSystemError& error, const char16_t* subst1,
                                               const char16_t* subst2, const char16_t* subst3,
                                               const char* sourceFile, int sourceLine)
    : m_errorCode(errorCode),
      m_message(message ? message : ""),
      m_messageNumber(messageNumber),
      m_hasSystemError(true),
      m_systemError(error),
      m_sourceFile(sourceFile ? sourceFile : ""),
      m_sourceLine(sourceLine)
{
    // The three given texts keep their positions, null ones included.
    setSubst(0, subst1);
    setSubst(1, subst2);
    setSubst(2, subst3);
    finish();
}

NexaFrameworkException::~NexaFrameworkException() = default;

void NexaFrameworkException::setSubst(int index, const char16_t* text)
{
    m_subst[index] = text;  // null: the empty text
    if (index + 1 > m_substCount) m_substCount = index + 1;
}

SWCharString NexaFrameworkException::getSubstParam(int index) const
{
    if (index < 0 || index >= m_substCount) return SWCharString();
    return m_subst[index];
}

SWCharString NexaFrameworkException::toString() const
{
    std::string head = "NexaFrameworkException " + std::to_string(m_errorCode) + " (message " +
                       std::to_string(m_messageNumber) + "): " + m_message;
    SWCharString text = SWCharString::fromUtf8(head);
    if (m_hasSystemError) {
        text += u"; CORBA ";
        text += m_systemError.getReasonText();
    }
    if (m_substCount > 0) {
        text += u"; texts:";
        for (int i = 0; i < m_substCount; ++i) {
            text += u" [";
            text += m_subst[i];
            text += u"]";
        }
    }
    if (!m_sourceFile.empty()) {
        text += SWCharString::fromUtf8("; at " + m_sourceFile + ":" + std::to_string(m_sourceLine));
    }
    return text;
}

void NexaFrameworkException::finish() { m_what = toString().toUtf8(); }
