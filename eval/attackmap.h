// Attack maps of both sides: per square, how many times a side attacks it and the
// classes of the attackers. Owns AttackMap; rebuilt by every full evaluation and
// read by the piece terms and by king safety.
#pragma once

#include <cstdint>

// Bits 0-3 of a word count the attacks; bits 10-15 name the attacker classes.
// A higher class bit means a cheaper attacker.
constexpr uint32_t ATTACK_COUNT = 0x000f;
constexpr uint32_t KING_ATTACK = 0x0400, QUEEN_ATTACK = 0x0800, ROOK_ATTACK = 0x1000,
                   BISHOP_ATTACK = 0x2000, KNIGHT_ATTACK = 0x4000, PAWN_ATTACK = 0x8000;
constexpr uint32_t ATTACK_CLASSES = 0xfc00;

extern uint32_t AttackMap[2][64];

// Class bit of each piece code, with bishops and knights separate (as stored in
// the map) and merged into one minor class (as compared by the piece terms).
extern const uint32_t AttackClass[8];
extern const uint32_t MergedAttackClass[8];

// The map word with the bishop bit moved onto the knight bit. A bitwise OR: a
// square seen by a bishop and a knight keeps the knight bit and must never carry
// into the pawn bit.
constexpr uint32_t MergedView(uint32_t word) {
    return (word & ~BISHOP_ATTACK) | ((word & BISHOP_ATTACK) << 1);
}
static_assert(MergedView(BISHOP_ATTACK | KNIGHT_ATTACK | 2) == (KNIGHT_ATTACK | 2));
static_assert(MergedView(BISHOP_ATTACK | 1) == (KNIGHT_ATTACK | 1));

// Clears both maps and fills them from the piece lists of the current position.
void BuildAttackMaps();
