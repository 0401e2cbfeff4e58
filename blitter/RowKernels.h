// The per-row work of the eight blit paths. A kernel handles `width` pixels of
// one row; the row loop (Blt.cpp) walks the rows. Names read
// <operation>_<pixel layout>[_<mask>]:
//   blend_x888_a8  32-bit pixels through an 8-bit mask (a = 0 untouched, 255 copied)
//   key_x888       32-bit colour-keyed copy (all 32 bits compared)
//   copy_x888      32-bit opaque copy
//   blend_565_a8   5-6-5 pixels through an 8-bit mask (only a = 255 is a plain copy)
//   key_565        5-6-5 colour-keyed copy (signed 16-bit pixel vs. the key)
//   copy_565       5-6-5 opaque copy, one block per row
#pragma once

#include <cstdint>

using RowKernel = void (*)(uint8_t* destination, const uint8_t* source, const uint8_t* mask,
                           uint32_t width, uint32_t colorKey);

namespace scalar {
void blend_x888_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
void key_x888(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
void copy_x888(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
void blend_565_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
void key_565(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
void copy_565(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width, uint32_t colorKey);
}  // namespace scalar

// The blends of one pixel, shared by every kernel so that all agree bit for bit.
uint32_t Blend32(uint32_t destination, uint32_t source, uint32_t alpha);
uint16_t Blend565(uint16_t destination, uint16_t source, uint32_t alpha);
