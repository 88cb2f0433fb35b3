// Leaf counting over the legal move tree, the everyday check of the move
// generator and of make/unmake. Used by tools/perft and the board tests.
#pragma once

#include <cstdint>

#include "board/position.h"

// Leaves of the legal move tree `depth` plies below the current position
// (1 for depth 0). The engine generates Queen and Knight promotions only; with
// allPromotions set, Rook and Bishop promotions are made and counted too, so the
// figures match the published ones. The position is left as it was.
uint64_t Perft(int depth, int allPromotions);

// The moves Perft walks at the current position, in generation order, each Rook
// and Bishop promotion right after its Queen promotion when allPromotions is set.
// Writes at most `capacity` moves and returns how many; 0 also for an illegal position.
int PerftMoves(int allPromotions, Move *out, int capacity);
