// Game files: the position record, board and game record together, as exactly
// GAME_FILE_BYTES little-endian bytes. Owns the encoder and decoder of that
// image and the checks a loaded image must pass; SaveGame and LoadGame use them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/position.h"

constexpr size_t GAME_FILE_BYTES = POSITION_BYTES;

// Field by field, in the order and at the offsets of the record.
void EncodePosition(const Position &p, uint8_t out[GAME_FILE_BYTES]);
void DecodePosition(const uint8_t in[GAME_FILE_BYTES], Position *p);

// 1 when the image carries the game file tag and is a game this program could
// have saved: the board consistent and every recorded move (those made and
// those that can be redone) legal in turn from the position the game started in.
int GameImageIsSound(const Position &image);
