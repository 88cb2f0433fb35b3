// MakeMove and UnmakeMove: incremental edits of the global position, its totals,
// its key and its history, each checked against the board before it is done.

#include "board/board.h"

// Castling right lost when a rook of the colour leaves or is captured on a corner.
static constexpr int RookCornerRight(int colour, int sq) {
    if (colour == White) return sq == SQ_A1 ? WhiteQueenside : sq == SQ_H1 ? WhiteKingside : 0;
    return sq == SQ_A8 ? BlackQueenside : sq == SQ_H8 ? BlackKingside : 0;
}

static inline bool SlotInRange(int slot) { return unsigned(slot) < 32u; }

// Takes piece `piece` of `colour` off `sq`; the caller reads the slot number
// first, since the piece gets the same slot back when it is put down again.
static inline void Lift(int piece, int colour, int sq) {
    Pos.board[sq] = Empty;
    Pos.colour[sq] = NoColour;
    Pos.pieceList[Pos.pieceSlot[sq]] = -1;
    Pos.pieceSlot[sq] = -1;
    Pos.material[colour] -= PieceValue[piece];
    Pos.pieceCount[colour][piece]--;
    if (piece == Pawn) {
        Pos.pawnsOnFile[colour][File(sq)]--;
        Pos.pawnsOnRow[colour][Row(sq)]--;
    }
    Pos.key ^= PieceKey[colour][piece][sq];
}

static inline void Put(int piece, int colour, int slot, int sq) { PutPiece(Pos, piece, colour, slot, sq); }

// True when `sq` is empty in all three board views and `slot` is free.
static inline bool SquareAndSlotFree(int sq, int slot) {
    return Pos.board[sq] == Empty && Pos.pieceSlot[sq] == -1 && Pos.pieceList[slot] == -1;
}

// True when a piece `piece` of `colour` stands on `sq` and the piece list agrees.
static inline bool PieceStands(int piece, int colour, int sq) {
    const int slot = Pos.pieceSlot[sq];
    return Pos.board[sq] == piece && Pos.colour[sq] == colour && SlotInRange(slot) &&
           Pos.pieceList[slot] == sq;
}

// A promotion must name a piece a pawn can become; anything else would put a
// second king or a pawn on the last row.
static inline bool PromotionFits(Move m) {
    return !(m & PROMOTION) || (MovePiece(m) >= Knight && MovePiece(m) <= Queen);
}

// The rook's squares of a castling move; the king must stand on e1 or e8, so
// both squares are on the board.
static inline void CastleRookSquares(Move m, int from, int *rookFrom, int *rookTo) {
    AssertOrAbort(from == SQ_E1 || from == SQ_E8);
    if (m & CASTLE_KINGSIDE) {
        *rookFrom = from + 3;
        *rookTo = from + 1;
    } else {
        *rookFrom = from - 4;
        *rookTo = from - 1;
    }
}

void MakeMove(Move m) {
    const int i = Pos.gamePly + searchPly;
    const int side = Pos.side;
    AssertOrAbort(unsigned(i) < unsigned(HISTORY_SLOTS) && unsigned(side) <= 1u);
    if (m == 0) {
        Pos.key ^= PieceKey[side][Pawn][0];
    } else {
        const int opp = side ^ 1;
        const int from = MoveFrom(m), to = MoveTo(m), piece = MovePiece(m);
        const int mover = (m & PROMOTION) ? int(Pawn) : piece;
        UndoRecord &undo = Pos.undoHistory[i];
        undo.castleRightsBefore = Pos.castleRights;

        AssertOrAbort(PieceStands(mover, side, from) && PromotionFits(m));
        const int slot = Pos.pieceSlot[from];
        Lift(mover, side, from);

        if (m & CAPTURE) {
            const int at = (m & EN_PASSANT) ? to - PawnStep[side] : to;
            AssertOrAbort(unsigned(at) < 64u);
            const int captured = Pos.board[at];
            AssertOrAbort(PieceStands(captured, opp, at));
            undo.capturedSquare = at;
            undo.capturedPiece = captured;
            undo.capturedSlot = Pos.pieceSlot[at];
            Lift(captured, opp, at);
            if (captured == Rook) Pos.castleRights &= ~RookCornerRight(opp, at);
        }

        if (m & CASTLE_FLAGS) {
            Pos.castled[side]++;
            int rookFrom, rookTo;
            CastleRookSquares(m, from, &rookFrom, &rookTo);
            AssertOrAbort(PieceStands(Rook, side, rookFrom));
            const int rookSlot = Pos.pieceSlot[rookFrom];
            Lift(Rook, side, rookFrom);
            AssertOrAbort(SquareAndSlotFree(rookTo, rookSlot));
            Put(Rook, side, rookSlot, rookTo);
        }

        AssertOrAbort(SquareAndSlotFree(to, slot));
        Put(piece, side, slot, to);

        if (mover == King) {
            Pos.castleRights &= ~(3 << (2 * side));
        } else if (mover == Rook) {
            Pos.castleRights &= ~RookCornerRight(side, from);
        }
    }
    Pos.moveHistory[i] = m;
    Pos.keyHistory[i] = Pos.key;
    searchPly++;
    Pos.side ^= 1;
    Pos.xside ^= 1;
}

void UnmakeMove(Move m) {
    const int i = Pos.gamePly + searchPly - 1;
    AssertOrAbort(unsigned(i) < unsigned(HISTORY_SLOTS) && unsigned(Pos.side) <= 1u);
    Pos.moveHistory[i] = 0;
    Pos.keyHistory[i] = 0;
    searchPly--;
    Pos.side ^= 1;
    Pos.xside ^= 1;
    const int side = Pos.side, opp = side ^ 1;
    if (m == 0) {
        Pos.key ^= PieceKey[side][Pawn][0];
        return;
    }
    const int from = MoveFrom(m), to = MoveTo(m), piece = MovePiece(m);
    const int mover = (m & PROMOTION) ? int(Pawn) : piece;
    UndoRecord &undo = Pos.undoHistory[i];
    Pos.castleRights = undo.castleRightsBefore;

    AssertOrAbort(PieceStands(piece, side, to) && PromotionFits(m));
    const int slot = Pos.pieceSlot[to];
    Lift(piece, side, to);

    if (m & CAPTURE) {
        const int at = undo.capturedSquare, captured = undo.capturedPiece, capturedSlot = undo.capturedSlot;
        AssertOrAbort(unsigned(at) < 64u && captured >= Pawn && captured <= King &&
                      SlotInRange(capturedSlot) && (capturedSlot >> 4) == opp);
        AssertOrAbort(SquareAndSlotFree(at, capturedSlot));
        Put(captured, opp, capturedSlot, at);
    }

    if (m & CASTLE_FLAGS) {
        Pos.castled[side]--;
        int rookFrom, rookTo;
        CastleRookSquares(m, from, &rookFrom, &rookTo);
        AssertOrAbort(PieceStands(Rook, side, rookTo));
        const int rookSlot = Pos.pieceSlot[rookTo];
        Lift(Rook, side, rookTo);
        AssertOrAbort(SquareAndSlotFree(rookFrom, rookSlot));
        Put(Rook, side, rookSlot, rookFrom);
    }

    AssertOrAbort(SquareAndSlotFree(from, slot));
    Put(mover, side, slot, from);
    undo = UndoRecord{0, 0, 0, 0};
}
