#pragma once
// A drive's reply as far as it goes. A drive, a USB bridge or a faulty
// firmware may return fewer bytes than asked for, or a length field that
// claims more than it sent: every field of a reply is read through TReply,
// which answers 0 for a byte the drive did not return, and Has tells the
// parsers whether a field is really there.
#include <algorithm>
#include <cstddef>
#include <cstdint>

class TReply {
public:
    TReply() = default;
    TReply(const std::uint8_t* data, std::size_t returned) : data_(data), size_(data ? returned : 0) {}

    std::size_t Size() const { return size_; }
    bool Has(std::size_t at, std::size_t count = 1) const { return at <= size_ && count <= size_ - at; }
    std::uint8_t U8(std::size_t at) const { return Has(at) ? data_[at] : 0; }
    std::uint16_t Be16(std::size_t at) const
    {
        return Has(at, 2) ? static_cast<std::uint16_t>((data_[at] << 8) | data_[at + 1]) : 0;
    }
    std::uint32_t Be32(std::size_t at) const
    {
        return Has(at, 4) ? (std::uint32_t{data_[at]} << 24) | (std::uint32_t{data_[at + 1]} << 16) |
                                (std::uint32_t{data_[at + 2]} << 8) | data_[at + 3]
                          : 0;
    }

    // The reply cut to what its own big-endian length field (at `at`, `width`
    // bytes) says follows the field; a reply without the field is empty.
    TReply Within(std::size_t at, std::size_t width) const
    {
        if (!Has(at, width))
            return {};
        std::size_t length = 0;
        for (std::size_t i = 0; i < width; ++i)
            length = (length << 8) | data_[at + i];
        return {data_, std::min(size_, at + width + length)};
    }
    // `count` bytes from `from` as a reply of their own, as far as they were returned.
    TReply Part(std::size_t from, std::size_t count) const
    {
        if (from >= size_)
            return {};
        return {data_ + from, std::min(count, size_ - from)};
    }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
