// A reply text kept in the buffer it arrived in.  The handle narrows the
// ORB's wide string to UTF-16 code units in place (LumoCommentaryServiceHandle)
// and hands the buffer over in one of these, so that a reply of any size is
// never copied on its way to the response object.
//
// Two code units before text() belong to the holder (kHeaderUnits): a BSTR's
// length prefix fits there (ReadOnlyBstr).  Move-only; the buffer is freed
// when the holder goes.
//
// Plain C++: the Winelib module includes this header.
#pragma once

#include <cstddef>
#include <utility>

class ReplyText {
public:
    static constexpr std::size_t kHeaderUnits = 2;
    using Release = void (*)(void* buffer);

    ReplyText() = default;
    // Takes over a buffer that release frees.  text (length units and a NUL
    // after them) lies inside it, at least kHeaderUnits units after its start.
    ReplyText(void* buffer, Release release, char16_t* text, std::size_t length) noexcept
        : m_buffer(buffer), m_release(release), m_text(text), m_length(length)
    {
    }
    ~ReplyText()
    {
        if (m_buffer) m_release(m_buffer);
    }
    ReplyText(ReplyText&& other) noexcept { swap(other); }
    ReplyText& operator=(ReplyText&& other) noexcept
    {
        ReplyText moved(std::move(other));
        swap(moved);
        return *this;
    }
    ReplyText(const ReplyText&) = delete;
    ReplyText& operator=(const ReplyText&) = delete;

    // The units (null for no reply) and their number.
    char16_t* text() const noexcept { return m_text; }
    std::size_t length() const noexcept { return m_length; }

private:
    void swap(ReplyText& other) noexcept
    {
        std::swap(m_buffer, other.m_buffer);
        std::swap(m_release, other.m_release);
        std::swap(m_text, other.m_text);
        std::swap(m_length, other.m_length);
    }

    void* m_buffer = nullptr;
    Release m_release = nullptr;
    char16_t* m_text = nullptr;
    std::size_t m_length = 0;
};
