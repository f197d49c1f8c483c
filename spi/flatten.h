// The current page of a document as an 8-bit bottom-up DIB in two movable
// local-memory blocks: header (BITMAPINFOHEADER + 256 RGBQUADs) and pixels.
#pragma once

#include "document.h"
#include "localmem.h"

#include <cstdint>

constexpr std::uint32_t kDibHeaderBlockBytes = 1064;

// 0 on success; 5 when a block cannot be had or the page is empty or beyond
// 32 bits; 8 when the document has no current page or palette. Both handles
// are NULL after any failure.
int FlattenPageToDib(const CRovaDocument& document, HLOCAL* header, HLOCAL* pixels);

// Row copiers. Pitches are signed byte distances between row starts.
void CopyRows(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
              const std::uint8_t* src, std::intptr_t srcPitch);
void CopyRowsKeyed(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
                   const std::uint8_t* src, std::intptr_t srcPitch, std::uint8_t key);
void CopyRowsNibbleKeyed(std::uint8_t* dst, std::intptr_t dstPitch, std::int32_t columns, std::int32_t rows,
                         const std::uint8_t* src, std::intptr_t srcPitch);
