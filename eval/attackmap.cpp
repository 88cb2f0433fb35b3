// Builds the attack maps by walking both piece lists once. Sliders see through an
// own slider that moves the same way (a battery), so a doubled rook or a queen
// behind a bishop adds its weight to the squares beyond, without a class bit.
#include "eval/attackmap.h"

#include <cstring>
#include <initializer_list>

#include "board/position.h"
#include "eval/directions.h"

uint32_t AttackMap[2][64];

const uint32_t AttackClass[8] = {0, PAWN_ATTACK, KNIGHT_ATTACK, BISHOP_ATTACK, ROOK_ATTACK, QUEEN_ATTACK, KING_ATTACK, 0};
const uint32_t MergedAttackClass[8] = {0, PAWN_ATTACK, KNIGHT_ATTACK, KNIGHT_ATTACK, ROOK_ATTACK, QUEEN_ATTACK, KING_ATTACK, 0};

// One more attack on the word. The count has four bits; sixteen attackers of one
// square need eight knights around it, and the count then stays at 15 instead of
// wrapping to 0 and reading as "unattacked".
static inline void AddAttack(uint32_t &word, uint32_t classBit) {
    word = (word + ((word & ATTACK_COUNT) != ATTACK_COUNT)) | classBit;
}

// Walks one ray of a slider of `side` from s88: every square up to and including
// the first occupied one is attacked; behind an own slider that moves along this
// ray the walk goes on to the next occupied square, counting only.
static inline void AttackAlongRay(uint32_t *map, int side, int s88, int step, bool diagonal, uint32_t classBit) {
    int to = s88 + step;
    for (; OnBoard88(to); to += step) {
        int sq = SquareFrom88(to);
        AddAttack(map[sq], classBit);
        if (Pos.board[sq] == Empty) continue;
        if (Pos.colour[sq] != side || !SlidesAlong(Pos.board[sq], diagonal)) return;
        break;
    }
    if (!OnBoard88(to)) return;
    for (to += step; OnBoard88(to); to += step) {
        int sq = SquareFrom88(to);
        AddAttack(map[sq], 0);
        if (Pos.board[sq] != Empty) return;
    }
}

static void BuildSideMap(int side) {
    uint32_t *map = AttackMap[side];
    const int pawnRowStep = side == White ? -16 : 16;
    for (int slot = Pos.listFirst[side]; slot <= Pos.listLast[side]; slot++) {
        int sq = Pos.pieceList[slot];
        if (sq < 0) continue;
        int piece = Pos.board[sq];
        int s88 = Square88(sq);
        uint32_t classBit = AttackClass[piece];
        switch (piece) {
        case Pawn:
            for (int to : {s88 + pawnRowStep - 1, s88 + pawnRowStep + 1})
                if (OnBoard88(to)) AddAttack(map[SquareFrom88(to)], classBit);
            break;
        case Knight:
            for (int step : KnightSteps)
                if (OnBoard88(s88 + step)) AddAttack(map[SquareFrom88(s88 + step)], classBit);
            break;
        case King:
            for (int step : KingSteps)
                if (OnBoard88(s88 + step)) AddAttack(map[SquareFrom88(s88 + step)], classBit);
            break;
        case Bishop:
            for (int step : DiagonalSteps) AttackAlongRay(map, side, s88, step, true, classBit);
            break;
        case Rook:
            for (int step : OrthogonalSteps) AttackAlongRay(map, side, s88, step, false, classBit);
            break;
        case Queen:
            for (int step : DiagonalSteps) AttackAlongRay(map, side, s88, step, true, classBit);
            for (int step : OrthogonalSteps) AttackAlongRay(map, side, s88, step, false, classBit);
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
