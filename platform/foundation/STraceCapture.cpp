#include "STraceCapture.h"

#include "SString.h"

STraceCapture::STraceCapture(int level, std::vector<std::string> areas) : m_saved(SLogger::Configuration())
{
    STraceConfig config;
    config.level = level;
    config.areas = std::move(areas);
    SLogger::Configure(config);
    SLogger::SetMemorySink(&STraceCapture::sink, this);
}

STraceCapture::~STraceCapture()
{
    SLogger::SetMemorySink(nullptr, nullptr);
    SLogger::Configure(m_saved);
}

void STraceCapture::sink(void* context, const STraceRecord& record)
{
    auto* self = static_cast<STraceCapture*>(context);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_records.push_back(record);
}

std::vector<STraceRecord> STraceCapture::records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

std::vector<std::u16string> STraceCapture::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::u16string> out;
    out.reserve(m_records.size());
    for (const auto& r : m_records) out.push_back(r.text);
    return out;
}

std::vector<std::string> STraceCapture::linesUtf8() const
{
    std::vector<std::string> out;
    for (const auto& line : lines()) out.push_back(lumoUtf16ToUtf8(line));
    return out;
}

void STraceCapture::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.clear();
}
