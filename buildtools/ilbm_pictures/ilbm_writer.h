// Writes palette pictures as IFF ILBM files: a BMHD header, the colour map
// (CMAP) and the body (BODY) packed row by row with ByteRun1, the form the
// program's picture reader expects. No mask plane; colour 0 is the colour
// the program replaces by the screen background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qz::pictures {

// ByteRun1 (PackBits) of one plane row: repeat runs of two or more bytes,
// literal runs otherwise, none longer than 128 bytes.
void packByteRun1(std::span<const uint8_t> row, std::vector<uint8_t>& out);

// The whole file. `pixels` holds width x height colour indices, row after
// row; `palette` red, green, blue per colour, 2, 4, ... 256 colours, and the
// number of colours decides the number of planes. Empty when a pixel names
// a colour outside the palette or the sizes do not fit the format.
std::vector<uint8_t> encodeIlbm(int width, int height, std::span<const uint8_t> pixels,
                                std::span<const uint8_t> palette);

}  // namespace qz::pictures
