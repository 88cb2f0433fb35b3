// Transposition table: two direct-mapped arrays, one per side to move.
// Owns TransTable and TransEntries; sized once by HashInit at start-up, cleared
// by every move decision, probed and filled by AlphaBeta and PvSearch.
#pragma once

#include <cstdint>

#include "board/position.h"

enum TransBound : int32_t { EmptySlot = 0, UpperBound = 1, LowerBound = 2, Exact = 3 };

struct TransEntry {
    uint64_t key;
    int32_t score;  // from the side to move's point of view, mate scores as they are
    int32_t bound;
    int32_t depth;
    uint32_t move;  // 0 with an upper bound
};
static_assert(sizeof(TransEntry) == 24);

// The accepted range of the "hash size" setting; each array gets 2^(n/2) entries.
constexpr int HASH_SIZE_MIN = 32;
constexpr int HASH_SIZE_MAX = 61;

extern TransEntry *TransTable[2];  // indexed by the side to move
extern int32_t TransEntries;       // entries per array, a power of two

// Bytes taken by both arrays for a given entry count; 64-bit because the
// largest tables exceed 4 GB.
constexpr uint64_t TransBytes(uint64_t entries) { return 2 * entries * sizeof(TransEntry); }

void ClearTrans();

// Result of a probe: cut = 1 with score set when the entry ends the node;
// otherwise move is the stored move of a matching entry (0 when none).
struct TransProbe {
    int cut;
    int32_t score;
    Move move;
};

inline TransEntry &TransSlot() {
    return TransTable[Pos.side][uint32_t(Pos.key) & uint32_t(TransEntries - 1)];
}

inline TransProbe ProbeTrans(int depth, int alpha, int beta, int allowCut) {
    const TransEntry &e = TransSlot();
    if (e.key != Pos.key) return {0, 0, 0};
    if (allowCut && e.depth >= depth) {
        if (e.bound == Exact || (e.bound == LowerBound && e.score >= beta) ||
            (e.bound == UpperBound && e.score <= alpha))
            return {1, e.score, e.move};
    }
    return {0, 0, e.move};
}

// Depth and bound share one priority: an exact result is worth two more plies
// than a lower bound and four more than an upper bound; equal priority replaces.
inline void StoreTrans(int bound, int score, int depth, Move move) {
    TransEntry &e = TransSlot();
    if (e.bound != EmptySlot && e.depth + 2 * e.bound > depth + 2 * bound) return;
    e.key = Pos.key;
    e.score = score;
    e.bound = bound;
    e.depth = depth;
    e.move = move;
}
