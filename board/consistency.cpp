// PositionIsConsistent: decides whether a record could have come about by a set-up
// from FEN followed by the moves on its history. Game files are checked with it
// before they replace the position, so it reads every field as untrusted.

#include <cstring>

#include "board/board.h"

namespace {

// Working copies: the record under test (which may be Pos itself), and the live
// position and move stack, which the check borrows and gives back unchanged.
Position Candidate;
Position SavedPos;
MoveStackRecord SavedStack;

bool SlotOfColour(int slot, int colour) { return unsigned(slot) < 32u && (slot >> 4) == colour; }

// Everything that follows from the board alone: the three board views, the
// piece list, the totals, the kings, side and the small fields.
bool PlacementIsSound(const Position &p) {
    if (p.formatTag != 0 && p.formatTag != GAME_FILE_TAG) return false;
    if (p.padding != 0) return false;
    if (unsigned(p.side) > 1u || p.xside != (p.side ^ 1)) return false;
    if (unsigned(p.castleRights) > 15u) return false;
    if (p.listFirst[White] != 0 || p.listFirst[Black] != 16) return false;

    int count[2][8] = {}, material[2] = {}, onFile[2][8] = {}, onRow[2][8] = {}, kingAt[2] = {-1, -1};
    for (int c = White; c <= Black; c++) {
        if (p.listLast[c] < p.listFirst[c] || p.listLast[c] > p.listFirst[c] + 15) return false;
        if (p.castled[c] < 0) return false;
    }
    for (int sq = 0; sq < 64; sq++) {
        const int piece = p.board[sq], colour = p.colour[sq], slot = p.pieceSlot[sq];
        if (piece == Empty) {
            if (colour != NoColour || slot != -1) return false;
            continue;
        }
        if (piece < Pawn || piece > King || unsigned(colour) > 1u) return false;
        if (!SlotOfColour(slot, colour) || slot > p.listLast[colour] || p.pieceList[slot] != sq) return false;
        // A pawn on the first or last rank would make the generators step off the board.
        if (piece == Pawn && (Row(sq) == 0 || Row(sq) == 7)) return false;
        count[colour][piece]++;
        material[colour] += PieceValue[piece];
        if (piece == Pawn) {
            onFile[colour][File(sq)]++;
            onRow[colour][Row(sq)]++;
        }
        if (piece == King) kingAt[colour] = sq;
    }
    for (int slot = 0; slot < 32; slot++) {
        const int sq = p.pieceList[slot];
        if (sq == -1) continue;
        if (unsigned(sq) >= 64u || p.pieceSlot[sq] != slot || slot > p.listLast[slot >> 4]) return false;
    }
    for (int c = White; c <= Black; c++) {
        if (count[c][King] != 1 || p.kingSquare[c] != kingAt[c]) return false;
        if (material[c] != p.material[c]) return false;
        for (int i = 0; i < 8; i++) {
            if (count[c][i] != p.pieceCount[c][i] || onFile[c][i] != p.pawnsOnFile[c][i] ||
                onRow[c][i] != p.pawnsOnRow[c][i])
                return false;
        }
    }
    return true;
}

uint64_t PlacementKey(const Position &p) {
    uint64_t key = 0;
    for (int sq = 0; sq < 64; sq++)
        if (p.board[sq] != Empty) key ^= PieceKey[p.colour[sq]][p.board[sq]][sq];
    return key;
}

// The move word's own rules, whatever the position: no stray bits, a real piece,
// flags only in the combinations the generators and the move parser make.
bool MoveIsWellFormed(Move m) {
    const int from = MoveFrom(m), to = MoveTo(m), piece = MovePiece(m);
    if ((m & 0x07ff8000u) != 0 || from == to) return false;
    if ((m & CASTLE_KINGSIDE) && (m & CASTLE_QUEENSIDE)) return false;
    if (m & PROMOTION) return piece >= Knight && piece <= Queen && !(m & (CASTLE_FLAGS | EN_PASSANT));
    if (piece < Pawn || piece > King) return false;
    if ((m & EN_PASSANT) && (!(m & CAPTURE) || piece != Pawn)) return false;
    if (m & CASTLE_FLAGS) {
        if (piece != King || (m & CAPTURE) || (from != SQ_E1 && from != SQ_E8)) return false;
        return to == ((m & CASTLE_KINGSIDE) ? from + 2 : from - 2);
    }
    return true;
}

bool SquareIsFree(int sq) { return Pos.board[sq] == Empty && Pos.pieceSlot[sq] == -1; }

// True when UnmakeMove(m) on Pos would pass all its checks; nothing is changed.
// The squares are taken in the order UnmakeMove touches them.
bool UnmakeFits(Move m, const UndoRecord &undo) {
    const int mover = Pos.side ^ 1, opp = Pos.side;
    const int from = MoveFrom(m), to = MoveTo(m), piece = MovePiece(m);
    const int slot = Pos.pieceSlot[to];
    if (Pos.board[to] != piece || Pos.colour[to] != mover || !SlotOfColour(slot, mover) ||
        Pos.pieceList[slot] != to)
        return false;
    if (unsigned(undo.castleRightsBefore) > 15u) return false;
    int capturedAt = -1;
    if (m & CAPTURE) {
        capturedAt = undo.capturedSquare;
        if (unsigned(capturedAt) >= 64u || undo.capturedPiece < Pawn || undo.capturedPiece > Queen ||
            !SlotOfColour(undo.capturedSlot, opp) || undo.capturedSlot > Pos.listLast[opp] ||
            Pos.pieceList[undo.capturedSlot] != -1)
            return false;
        if (capturedAt != to && !SquareIsFree(capturedAt)) return false;
        if (capturedAt == from) return false;
    }
    if (m & CASTLE_FLAGS) {
        if (from != (mover == White ? SQ_E1 : SQ_E8) || Pos.castled[mover] <= 0) return false;
        const int rookFrom = (m & CASTLE_KINGSIDE) ? from + 3 : from - 4;
        const int rookTo = (m & CASTLE_KINGSIDE) ? from + 1 : from - 1;
        const int rookSlot = Pos.pieceSlot[rookTo];
        if (Pos.board[rookTo] != Rook || Pos.colour[rookTo] != mover || !SlotOfColour(rookSlot, mover) ||
            Pos.pieceList[rookSlot] != rookTo || !SquareIsFree(rookFrom))
            return false;
    }
    return SquareIsFree(from);
}

// True when m is in the generated list of ply 0; a Rook or Bishop promotion,
// which only the move parser makes, counts when its Queen promotion is there.
bool MoveIsInList(Move m) {
    Move wanted = m;
    if ((m & PROMOTION) && (MovePiece(m) == Rook || MovePiece(m) == Bishop))
        wanted = (m & ~(Move(7) << 12)) | Move(Queen) << 12;
    for (int i = MoveStack.first[0]; i < MoveStack.first[1]; i++)
        if (MoveStack.moves[i] == wanted) return true;
    return false;
}

// The state right after a set-up from FEN: nothing castled, slots in board
// order without gaps, the key of the placement, an en-passant square that
// the FEN reader would accept, an empty history.
bool LooksFreshlySetUp() {
    if (!PlacementIsSound(Pos) || Pos.castled[White] != 0 || Pos.castled[Black] != 0) return false;
    for (int c = White; c <= Black; c++) {
        int previous = -1;
        for (int slot = Pos.listFirst[c]; slot <= Pos.listLast[c]; slot++) {
            if (Pos.pieceList[slot] <= previous) return false;
            previous = Pos.pieceList[slot];
        }
        for (int slot = Pos.listLast[c] + 1; slot < Pos.listFirst[c] + 16; slot++)
            if (Pos.pieceList[slot] != -1) return false;
    }
    if (Pos.key != PlacementKey(Pos) || Pos.key != Pos.startKey) return false;
    const int ep = Pos.epSquare;
    if (ep != 0) {
        const int step = PawnStep[Pos.side];
        if (unsigned(ep) >= 64u || Row(ep) != (Pos.side == White ? 2 : 5)) return false;
        if (Pos.board[ep - step] != Pawn || Pos.colour[ep - step] != Pos.xside) return false;
        if (Pos.board[ep] != Empty || Pos.board[ep + step] != Empty) return false;
    }
    return true;
}

// Takes back every move on the history of Pos (a copy of the candidate),
// checking each step first. Ends at the position the FEN reader set up.
bool UnwindHistory(int made, int gamePly) {
    for (int i = made - 1; i >= 0; i--) {
        const Move m = Pos.moveHistory[i];
        if (Pos.keyHistory[i] != Pos.key) return false;
        if (m == 0 ? i < gamePly : !UnmakeFits(m, Pos.undoHistory[i])) return false;
        Pos.gamePly = i + 1;
        searchPly = 0;
        UnmakeMove(m);
        searchPly = 0;
        Pos.gamePly = i;
    }
    return LooksFreshlySetUp();
}

// Plays the candidate's history again from the set-up: game moves must be legal,
// search moves (slots from gamePly on) pseudo-legal or null.
bool ReplayHistory(int from, int to, int gamePly) {
    for (int i = from; i < to; i++) {
        const Move m = Candidate.moveHistory[i];
        Pos.gamePly = i;
        searchPly = 0;
        if (m != 0 || i < gamePly) {
            const int generated = i < gamePly ? GenerateLegalMoves() : GenerateMoves();
            if (!generated || !MoveIsInList(m)) return false;
        }
        MakeMove(m);
        searchPly = 0;
        Pos.gamePly = i + 1;
    }
    return true;
}

bool HistoryIsSound(const Position &p, int made) {
    if (p.gamePly < 0 || p.gamePly > p.gameLength || p.gameLength > MAX_GAME_MOVES) return false;
    for (int i = 0; i < HISTORY_SLOTS; i++) {
        const Move m = p.moveHistory[i];
        const UndoRecord &u = p.undoHistory[i];
        if (i >= made) {
            if (p.keyHistory[i] != 0 || u.capturedSquare != 0 || u.capturedPiece != 0 ||
                u.capturedSlot != 0 || u.castleRightsBefore != 0)
                return false;
            // Slots before gameLength may keep moves for redo.
            if (m != 0 && (i >= p.gameLength || !MoveIsWellFormed(m))) return false;
        } else if (m != 0 && !MoveIsWellFormed(m)) {
            return false;
        }
    }
    return true;
}

// The moves of the current search (searchPly of them) are on the history too.
bool CandidateIsConsistent(int searchPlies) {
    const Position &p = Candidate;
    const int made = p.gamePly + searchPlies;
    if (searchPlies < 0 || searchPlies >= MOVE_STACK_PLIES - 1 || made >= HISTORY_SLOTS) return false;
    if (!PlacementIsSound(p) || !HistoryIsSound(p, made)) return false;

    Pos = p;
    if (!UnwindHistory(made, p.gamePly) || !ReplayHistory(0, made, p.gamePly)) return false;

    // The replayed record must equal the candidate in every byte that making
    // moves determines; redo moves and scores are not made by moves.
    Pos.formatTag = p.formatTag;
    Pos.gamePly = p.gamePly;
    Pos.gameLength = p.gameLength;
    for (int i = made; i < HISTORY_SLOTS; i++) Pos.moveHistory[i] = p.moveHistory[i];
    std::memcpy(Pos.scoreHistory, p.scoreHistory, sizeof Pos.scoreHistory);
    if (std::memcmp(&Pos, &p, sizeof p) != 0) return false;

    // "redo" makes the kept moves without a test, so each must be legal where
    // it will be made; the chain ends at the first empty slot.
    if (searchPlies == 0) {
        int end = p.gamePly;
        while (end < p.gameLength && p.moveHistory[end] != 0) end++;
        if (!ReplayHistory(p.gamePly, end, end)) return false;
    }
    return true;
}

}  // namespace

int PositionIsConsistent(const Position &p) {
    Candidate = p;
    SavedPos = Pos;
    SavedStack = MoveStack;
    const int savedPly = searchPly;
    const bool consistent = CandidateIsConsistent(savedPly);
    Pos = SavedPos;
    MoveStack = SavedStack;
    searchPly = savedPly;
    return consistent ? 1 : 0;
}
