// Attack tables on Square88 differences and the attack and check tests built on them.

#include "board/board.h"

int AttackMask[256];
int AttackStep[256];

void InitAttackTables() {
    for (int piece = Knight; piece <= King; piece++) {
        const bool slider = ((1 << piece) & SLIDER_BITS) != 0;
        for (int i = StepFirst[piece]; i <= StepLast[piece]; i++) {
            const int step = StepDelta[i];
            int x = 119 + step;
            for (int distance = 1; distance <= 7; distance++, x += step) {
                AttackMask[x] |= 1 << piece;
                // A pawn attacks like a bishop that moves one square; the
                // attack test adds the direction.
                if (piece == Bishop && distance == 1) AttackMask[x] |= PAWN_BIT;
                if (!slider) break;
                AttackStep[x] = step;
            }
        }
    }
}

int SquareAttacked(int target, int attacker) {
    const int target88 = Square88(target);
    const int last = Pos.listLast[attacker];
    for (int slot = Pos.listFirst[attacker]; slot <= last; slot++) {
        const int from = Pos.pieceList[slot];
        if (from < 0) continue;
        const int bit = 1 << Pos.board[from];
        const int x = Square88(from) - target88 + 119;
        if ((AttackMask[x] & bit) == 0) continue;
        if (bit & SLIDER_BITS) {
            // Walk from the target towards the piece; the first occupied
            // square decides.
            const int step = AttackStep[x];
            int v = target88 + step;
            while (SquareFrom88(v) != from && Pos.colour[SquareFrom88(v)] == NoColour) v += step;
            if (SquareFrom88(v) == from) return 1;
            continue;
        }
        if (bit != PAWN_BIT) return 1;
        // A pawn captures only forwards: White towards row 0, Black towards row 7.
        if (attacker == White ? Row(target) < Row(from) : Row(target) > Row(from)) return 1;
    }
    return 0;
}

int InCheck() { return SquareAttacked(Pos.kingSquare[Pos.side], Pos.xside); }
