// Builds the attack maps by walking both piece lists once. Sliders see through an
// own slider that moves the same way (a battery), so a doubled rook or a queen
// behind a bishop adds its weight to the squares beyond, without a class bit.
#include "eval/attackmap.h"

#include <cstring>

#include "board/position.h"
#include "eval/geometry.h"

uint32_t AttackMap[2][64];

const uint32_t AttackClass[8] = {0, PAWN_ATTACK, KNIGHT_ATTACK, BISHOP_ATTACK, ROOK_ATTACK, QUEEN_ATTACK, KING_ATTACK, 0};
const uint32_t MergedAttackClass[8] = {0, PAWN_ATTACK, KNIGHT_ATTACK, KNIGHT_ATTACK, ROOK_ATTACK, QUEEN_ATTACK, KING_ATTACK, 0};

// One more attack on the word. The count has four bits; sixteen attackers of one
// square need eight knights around it, and the count then stays at 15 instead of
// wrapping to 0 and reading as "unattacked".
static inline void AddAttack(uint32_t &word, uint32_t classBit) {
    word = (word + ((word & ATTACK_COUNT) != ATTACK_COUNT)) | classBit;
}

// Walks one ray of a slider of `side`: every square up to and including the
// first occupied one is attacked; behind an own slider that moves along this ray
// the walk goes on to the next occupied square, counting only.
static inline void AttackAlongRay(uint32_t *map, int side, const SquareRay &ray, bool diagonal, uint32_t classBit) {
    int i = 0;
    for (; i < ray.length; i++) {
        const int sq = ray.squares[i];
        AddAttack(map[sq], classBit);
        if (Pos.board[sq] == Empty) continue;
        if (Pos.colour[sq] != side || !SlidesAlong(Pos.board[sq], diagonal)) return;
        break;
    }
    for (i++; i < ray.length; i++) {
        const int sq = ray.squares[i];
        AddAttack(map[sq], 0);
        if (Pos.board[sq] != Empty) return;
    }
}

static inline void AttackSquares(uint32_t *map, const SquareSet &set, uint32_t classBit) {
    for (int i = 0; i < set.count; i++) AddAttack(map[set.squares[i]], classBit);
}

static void BuildSideMap(int side) {
    uint32_t *map = AttackMap[side];
    for (int slot = Pos.listFirst[side]; slot <= Pos.listLast[side]; slot++) {
        const int sq = Pos.pieceList[slot];
        if (sq < 0) continue;
        const int piece = Pos.board[sq];
        const uint32_t classBit = AttackClass[piece];
        const auto &rays = Rays[sq];
        switch (piece) {
        case Pawn:
            AttackSquares(map, PawnCaptures[side][sq], classBit);
            break;
        case Knight:
            AttackSquares(map, KnightJumps[sq], classBit);
            break;
        case King:
            AttackSquares(map, KingRing[sq], classBit);
            break;
        case Bishop:
            for (int d = FIRST_DIAGONAL; d < 8; d++) AttackAlongRay(map, side, rays[d], true, classBit);
            break;
        case Rook:
            for (int d = FIRST_ORTHOGONAL; d < FIRST_DIAGONAL; d++) AttackAlongRay(map, side, rays[d], false, classBit);
            break;
        case Queen:
            for (int d = 0; d < 8; d++) AttackAlongRay(map, side, rays[d], IsDiagonal(d), classBit);
            break;
        default:
            break;
        }
    }
}

void BuildAttackMaps() {
    std::memset(AttackMap, 0, sizeof AttackMap);
    BuildSideMap(White);
    BuildSideMap(Black);
}
