// The boundary segments traced around the set cells of a byte mask.
#pragma once

#include <cstdint>

struct CRovaOutlineSegment {
    std::int32_t x;
    std::int32_t y;
    std::uint8_t side;               // 8 top, 2 right, 4 bottom, 1 left
    CRovaOutlineSegment* next;       // owned by the outline
};

class CRovaOutline {
public:
    enum Side : std::uint8_t { kLeft = 1, kRight = 2, kBottom = 4, kTop = 8 };

    CRovaOutline() = default;
    ~CRovaOutline();
    CRovaOutline(const CRovaOutline&) = delete;
    CRovaOutline& operator=(const CRovaOutline&) = delete;

    // Traces mask (width x height bytes, row by row); with rebuild 0 an
    // outline that already holds segments is kept as it is.
    void Build(const std::uint8_t* mask, std::int32_t width, std::int32_t height, std::uint8_t rebuild);
    void Clear();
    void AddSegment(std::int32_t x, std::int32_t y, std::uint8_t side);

    const CRovaOutlineSegment* GetHead() const { return m_pHead; }
    bool IsEmpty() const { return m_pHead == nullptr; }

private:
    CRovaOutlineSegment* m_pHead = nullptr;
    CRovaOutlineSegment* m_pTail = nullptr;
};
