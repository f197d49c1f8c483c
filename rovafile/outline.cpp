#include "outline.h"

#include "sizes.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

namespace {

// Read-only view of the mask in which cells outside it count as clear.
class MaskView {
public:
    MaskView(const std::uint8_t* mask, std::int32_t width, std::int32_t height)
        : m_mask(mask), m_width(width), m_height(height)
    {
    }

    bool IsSet(std::int32_t x, std::int32_t y) const
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return false;
        return m_mask[Index(x, y)] != 0;
    }

    std::size_t Index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }

private:
    const std::uint8_t* m_mask;
    std::int32_t m_width;
    std::int32_t m_height;
};

bool IsInterior(const MaskView& mask, std::int32_t x, std::int32_t y)
{
    return x > 0 && x < mask.Width() - 1 && y > 0 && y < mask.Height() - 1 && mask.IsSet(x - 1, y) &&
           mask.IsSet(x + 1, y) && mask.IsSet(x, y - 1) && mask.IsSet(x, y + 1);
}

// A side is covered when the walker's previous and next cells along the
// boundary both lie beyond it, so it is not part of the outline.
bool IsCovered(const MaskView& mask, std::int32_t x, std::int32_t y, std::uint8_t side)
{
    switch (side) {
    case CRovaOutline::kTop:
        return mask.IsSet(x - 1, y) && mask.IsSet(x, y - 1);
    case CRovaOutline::kRight:
        return mask.IsSet(x + 1, y) && mask.IsSet(x, y - 1);
    case CRovaOutline::kBottom:
        return mask.IsSet(x + 1, y) && mask.IsSet(x, y + 1);
    default:
        return mask.IsSet(x - 1, y) && mask.IsSet(x, y + 1);
    }
}

// One step of the left-hand rule: moves (x, y) and/or turns side.
void Move(const MaskView& mask, std::int32_t& x, std::int32_t& y, std::uint8_t& side)
{
    const std::int32_t lastX = mask.Width() - 1;
    const std::int32_t lastY = mask.Height() - 1;
    switch (side) {
    case CRovaOutline::kTop:   // moving right
        if (mask.IsSet(x, y - 1)) { --y; side = CRovaOutline::kLeft; }
        else if (x == lastX) side = CRovaOutline::kRight;
        else if (mask.IsSet(x + 1, y)) ++x;
        else side = CRovaOutline::kRight;
        break;
    case CRovaOutline::kRight:   // moving down
        if (mask.IsSet(x + 1, y)) { ++x; side = CRovaOutline::kTop; }
        else if (y == lastY) side = CRovaOutline::kBottom;
        else if (mask.IsSet(x, y + 1)) ++y;
        else side = CRovaOutline::kBottom;
        break;
    case CRovaOutline::kBottom:   // moving left
        if (mask.IsSet(x, y + 1)) { ++y; side = CRovaOutline::kRight; }
        else if (x == 0) side = CRovaOutline::kLeft;
        else if (mask.IsSet(x - 1, y)) --x;
        else side = CRovaOutline::kLeft;
        break;
    default:   // moving up
        if (mask.IsSet(x - 1, y)) { --x; side = CRovaOutline::kBottom; }
        else if (y == 0) side = CRovaOutline::kTop;
        else if (mask.IsSet(x, y - 1)) --y;
        else side = CRovaOutline::kTop;
        break;
    }
}

}  // namespace

CRovaOutline::~CRovaOutline()
{
    Clear();
}

void CRovaOutline::Clear()
{
    CRovaOutlineSegment* node = m_pHead;
    while (node) {
        CRovaOutlineSegment* next = node->next;
        delete node;
        node = next;
    }
    m_pHead = nullptr;
    m_pTail = nullptr;
}

void CRovaOutline::AddSegment(std::int32_t x, std::int32_t y, std::uint8_t side)
{
    ChargeBudget(sizeof(CRovaOutlineSegment));
    auto* node = new (std::nothrow) CRovaOutlineSegment{x, y, side, nullptr};
    if (!node)
        AfxThrowMemoryException();
    if (m_pTail)
        m_pTail->next = node;
    else
        m_pHead = node;
    m_pTail = node;
}

void CRovaOutline::Build(const std::uint8_t* mask, std::int32_t width, std::int32_t height, std::uint8_t rebuild)
{
    if (!rebuild && !IsEmpty())
        return;
    Clear();
    if (!mask || width <= 0 || height <= 0)
        return;

    const MaskView view(mask, width, height);
    // One byte per cell collecting the headings the walker has stood there
    // with, shared by all traces so every (cell, heading) is walked once.
    const std::size_t cells = BufferSize(width, height);
    auto visits = AllocBytes(cells);
    std::fill_n(visits.get(), cells, std::uint8_t{0});

    for (std::int32_t startY = 0; startY < height; ++startY) {
        for (std::int32_t startX = 0; startX < width; ++startX) {
            if (!view.IsSet(startX, startY) || view.IsSet(startX, startY - 1))
                continue;
            std::int32_t x = startX;
            std::int32_t y = startY;
            std::uint8_t side = kTop;
            for (;;) {
                std::uint8_t& visit = visits[view.Index(x, y)];
                if (visit & side)
                    break;
                visit = static_cast<std::uint8_t>(visit | side);
                if (!IsInterior(view, x, y) && !IsCovered(view, x, y, side))
                    AddSegment(x, y, side);
                Move(view, x, y, side);
            }
        }
    }
}
