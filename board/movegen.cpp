// Move generation into the move stack: pseudo-legal moves, captures and
// promotions for the quiescence search, the legal-move filter and the castling test.

#include <utility>

#include "board/board.h"

// No position yields more pseudo-legal moves than this: at most 16 pieces with
// at most 27 moves each (a queen in the centre outdoes every other piece,
// a pawn's six promotions included), plus two castlings and two en-passant
// captures. A list that starts at least this far from the end of the stack
// cannot run past it, so only lists near the end pay for a bounds test.
constexpr int MAX_GENERATED_MOVES = 16 * 27 + 4;
static_assert(MAX_GENERATED_MOVES < MOVE_STACK_SIZE);

namespace {

// Where a generator may write for `ply`: 0 when first[ply + 1] itself lies
// outside the stack, which only a runaway recursion could cause.
inline bool PlyHasList(int ply) { return unsigned(ply) < unsigned(MOVE_STACK_PLIES - 1); }

inline int ClampToStack(int index) {
    return index < 0 ? 0 : index > MOVE_STACK_SIZE ? MOVE_STACK_SIZE : index;
}

// The square the en-passant capture goes to, or 0 when there is none. Right
// after the set-up it is the square of the FEN text; later it follows from the
// last move being a double step.
inline int EnPassantTarget(int ply, int step) {
    const int made = Pos.gamePly + ply;
    if (made == 0) return Pos.epSquare;
    if (made > HISTORY_SLOTS) return 0;
    const Move last = Pos.moveHistory[made - 1];
    if (last == 0 || MovePiece(last) != Pawn) return 0;
    const int rows = Row(MoveFrom(last)) - Row(MoveTo(last));
    if (rows != 2 && rows != -2) return 0;
    return MoveTo(last) + step;
}

// Fills the list of `ply` from index `start`. With Guarded set, moves that would
// pass the end of the stack are dropped, so the list is cut short instead.
template <bool Guarded, bool CapturesOnly>
int GenerateList(int ply, int start) {
    Move *const stackBase = MoveStack.moves;
    Move *const stackEnd = stackBase + MOVE_STACK_SIZE;
    Move *w = stackBase + start;
    auto emit = [&w, stackEnd](Move m) {
        if (!Guarded || w < stackEnd) *w++ = m;
    };

    const int side = Pos.side, opp = side ^ 1;
    const int enemyKing = Pos.kingSquare[opp];
    const int step = PawnStep[side];
    const int promotionRow = PromotionRow[side];

    if (!CapturesOnly) {
        const int target = EnPassantTarget(ply, step);
        if (target != 0) {
            const int victim = target - step;
            const Move capture = MakeMoveWord(Pawn, 0, target) | CAPTURE | EN_PASSANT;
            if (File(victim) < 7 && Pos.board[victim + 1] == Pawn && Pos.colour[victim + 1] == side)
                emit(capture | Move(victim + 1) << 6);
            if (File(victim) > 0 && Pos.board[victim - 1] == Pawn && Pos.colour[victim - 1] == side)
                emit(capture | Move(victim - 1) << 6);
        }
    }

    const int lastSlot = Pos.listLast[side];
    for (int slot = Pos.listFirst[side]; slot <= lastSlot; slot++) {
        const int from = Pos.pieceList[slot];
        if (from < 0) continue;
        const int piece = Pos.board[from];
        const Move base = MakeMoveWord(piece, from, 0);

        if (piece == Pawn) {
            const int to = from + step;
            const Move fromBits = Move(from) << 6;
            if (Pos.colour[to] == NoColour) {
                if (Row(to) == promotionRow) {
                    emit(fromBits | Move(to) | PROMOTION | Move(Queen) << 12);
                    emit(fromBits | Move(to) | PROMOTION | Move(Knight) << 12);
                } else if (!CapturesOnly) {
                    emit(base | Move(to));
                    if (Row(from) == PawnStartRow[side] && Pos.colour[to + step] == NoColour)
                        emit(base | Move(to + step));
                }
            }
            // Captures towards file a, then towards file h.
            for (int side2 = -1; side2 <= 1; side2 += 2) {
                if (side2 < 0 ? File(from) == 0 : File(from) == 7) continue;
                const int target = to + side2;
                if (Pos.colour[target] != opp) continue;
                if (target == enemyKing) goto illegal;
                if (Row(target) == promotionRow) {
                    emit(fromBits | Move(target) | CAPTURE | PROMOTION | Move(Queen) << 12);
                    emit(fromBits | Move(target) | CAPTURE | PROMOTION | Move(Knight) << 12);
                } else {
                    emit(base | CAPTURE | Move(target));
                }
            }
            continue;
        }

        const int from88 = Square88(from);
        const int lastStep = StepLast[piece];
        if (piece == Knight || piece == King) {
            for (int i = StepFirst[piece]; i <= lastStep; i++) {
                const int to88 = from88 + StepDelta[i];
                if (!OnBoard88(to88)) continue;
                const int to = SquareFrom88(to88);
                const int colour = Pos.colour[to];
                if (colour == NoColour) {
                    if (!CapturesOnly) emit(base | Move(to));
                } else if (colour == opp) {
                    if (to == enemyKing) goto illegal;
                    emit(base | CAPTURE | Move(to));
                }
            }
            continue;
        }

        for (int i = StepFirst[piece]; i <= lastStep; i++) {
            const int delta = StepDelta[i];
            for (int to88 = from88 + delta; OnBoard88(to88); to88 += delta) {
                const int to = SquareFrom88(to88);
                const int colour = Pos.colour[to];
                if (colour == NoColour) {
                    if (!CapturesOnly) emit(base | Move(to));
                    continue;
                }
                if (colour == opp) {
                    if (to == enemyKing) goto illegal;
                    emit(base | CAPTURE | Move(to));
                }
                break;
            }
        }
    }

    if (!CapturesOnly) {
        // The squares the king crosses are tested for attack by CastleIsLegal,
        // not here.
        const int king = Pos.kingSquare[side];
        const int home = side == White ? SQ_E1 : SQ_E8;
        if (king == home) {
            if ((Pos.castleRights & (2 << (2 * side))) && Pos.board[king + 1] == Empty &&
                Pos.board[king + 2] == Empty && Pos.board[king + 3] == Rook && Pos.colour[king + 3] == side)
                emit(MakeMoveWord(King, king, king + 2) | CASTLE_KINGSIDE);
            if ((Pos.castleRights & (1 << (2 * side))) && Pos.board[king - 1] == Empty &&
                Pos.board[king - 2] == Empty && Pos.board[king - 3] == Empty &&
                Pos.board[king - 4] == Rook && Pos.colour[king - 4] == side)
                emit(MakeMoveWord(King, king, king - 2) | CASTLE_QUEENSIDE);
        }
    }

    MoveStack.first[ply + 1] = int32_t(w - stackBase);
    return 1;

illegal:
    MoveStack.first[ply + 1] = start;
    return 0;
}

template <bool CapturesOnly>
int GenerateForCurrentPly() {
    const int ply = searchPly;
    if (!PlyHasList(ply)) return 0;
    const int start = MoveStack.first[ply];
    if (unsigned(start) <= unsigned(MOVE_STACK_SIZE - MAX_GENERATED_MOVES))
        return GenerateList<false, CapturesOnly>(ply, start);
    return GenerateList<true, CapturesOnly>(ply, ClampToStack(start));
}

}  // namespace

int GenerateMoves() { return GenerateForCurrentPly<false>(); }

int GenerateCaptures() { return GenerateForCurrentPly<true>(); }

int CastleIsLegal(Move m) {
    const int side = Pos.side, opp = side ^ 1;
    const int king = Pos.kingSquare[side];
    if (king != (side == White ? SQ_E1 : SQ_E8)) return 0;
    if (m & CASTLE_KINGSIDE) {
        return (Pos.castleRights & (2 << (2 * side))) && Pos.board[king + 1] == Empty &&
               Pos.board[king + 2] == Empty && Pos.board[king + 3] == Rook &&
               Pos.colour[king + 3] == side && !SquareAttacked(king, opp) &&
               !SquareAttacked(king + 1, opp) && !SquareAttacked(king + 2, opp);
    }
    if (m & CASTLE_QUEENSIDE) {
        // The rook crosses b1/b8, the king does not: that square may be attacked.
        return (Pos.castleRights & (1 << (2 * side))) && Pos.board[king - 1] == Empty &&
               Pos.board[king - 2] == Empty && Pos.board[king - 3] == Empty &&
               Pos.board[king - 4] == Rook && Pos.colour[king - 4] == side &&
               !SquareAttacked(king, opp) && !SquareAttacked(king - 1, opp) &&
               !SquareAttacked(king - 2, opp);
    }
    return 0;
}

namespace {

// True when a piece leaving `from` might uncover an attack on the king of
// `mover` on `king`: `from` lies on a line through the king with nothing in
// between, and the first piece beyond it is an enemy slider that moves along
// that line. When this is false, a move from `from` cannot leave the king
// attacked (unless the king was attacked already).
bool MayUncoverKing(int from, int king, int mover) {
    const int x = Square88(from) - Square88(king) + 119;
    if ((AttackMask[x] & SLIDER_BITS) == 0) return false;
    const int step = AttackStep[x];
    int v = Square88(king) + step;
    while (SquareFrom88(v) != from) {
        if (Pos.colour[SquareFrom88(v)] != NoColour) return false;
        v += step;
    }
    for (v += step; OnBoard88(v); v += step) {
        const int sq = SquareFrom88(v);
        if (Pos.colour[sq] == NoColour) continue;
        if (Pos.colour[sq] == mover) return false;
        const int along = (step == 1 || step == -1 || step == 16 || step == -16) ? ROOK_BIT : BISHOP_BIT;
        return ((1 << Pos.board[sq]) & (along | QUEEN_BIT)) != 0;
    }
    return false;
}

}  // namespace

// Each candidate is made, the mover's king tested and the move unmade, except
// where the outcome is certain without it: a move that is neither a king move
// nor en passant, made while not in check, from a square that shields the king
// from no enemy slider, is always legal. The result and the final state are
// the same as when every move is tried.
int GenerateLegalMoves() {
    if (!GenerateMoves()) return 0;
    const int ply = searchPly;
    const int mover = Pos.side, opp = mover ^ 1;
    const int king = Pos.kingSquare[mover];
    const bool inCheck = SquareAttacked(king, opp) != 0;
    Move *const moves = MoveStack.moves;
    const int begin = MoveStack.first[ply], end = MoveStack.first[ply + 1];
    int w = begin;
    for (int r = begin; r < end; r++) {
        const Move m = moves[r];
        if ((m & CASTLE_FLAGS) && !CastleIsLegal(m)) continue;
        const bool certain = !inCheck && !(m & (EN_PASSANT | CASTLE_FLAGS)) && MovePiece(m) != King &&
                             !MayUncoverKing(MoveFrom(m), king, mover);
        if (!certain) {
            MakeMove(m);
            const int attacked = SquareAttacked(Pos.kingSquare[mover], opp);
            UnmakeMove(m);
            if (attacked) continue;
        }
        std::swap(moves[w], moves[r]);
        w++;
    }
    // Trying a move writes and clears the history slot of this ply; leave it
    // clear even when no move needed trying.
    if (end > begin) {
        const int slot = Pos.gamePly + ply;
        AssertOrAbort(unsigned(slot) < unsigned(HISTORY_SLOTS));
        Pos.moveHistory[slot] = 0;
        Pos.keyHistory[slot] = 0;
        Pos.undoHistory[slot] = UndoRecord{0, 0, 0, 0};
    }
    MoveStack.first[ply + 1] = w;
    return 1;
}
