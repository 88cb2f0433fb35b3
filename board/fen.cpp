// FEN in and out: ReadFen sets the whole position up (and starts a new game
// history), WriteFen makes the identity text that the book table compares.

#include <cstring>

#include "board/board.h"

namespace {

// The position being built; it replaces Pos only when the whole text was accepted.
Position Scratch;

inline bool IsDelimiter(char c) { return c == ' ' || c == '\n'; }

// Finds the next field at or after *cursor; 0 when there is none. The text is
// read in place, so texts of any length are safe.
int NextField(const char **cursor, const char **field, int *length) {
    const char *p = *cursor;
    while (IsDelimiter(*p)) p++;
    if (*p == '\0') return 0;
    const char *begin = p;
    while (*p != '\0' && !IsDelimiter(*p)) p++;
    *field = begin;
    *length = int(p - begin);
    *cursor = p;
    return 1;
}

// Piece code and colour of a board symbol; 0 when it is not a piece letter.
int PieceOfSymbol(char symbol, int *colour) {
    static const char Letters[] = "pnbrqk";
    for (int piece = Pawn; piece <= King; piece++) {
        if (symbol == Letters[piece - 1]) {
            *colour = Black;
            return piece;
        }
        if (symbol == Letters[piece - 1] - 'a' + 'A') {
            *colour = White;
            return piece;
        }
    }
    return 0;
}

int ReadBoard(Position &p, const char *field, int length) {
    int sq = 0;
    for (int n = 0; n < length; n++) {
        const char c = field[n];
        if (c == '/') continue;
        if (c >= '1' && c <= '8') {
            sq += c - '0';
            continue;
        }
        int colour;
        const int piece = PieceOfSymbol(c, &colour);
        if (piece == 0 || sq >= 64) return 0;
        const int slot = p.listLast[colour];
        if (slot >= p.listFirst[colour] + 16 || p.board[sq] != Empty) return 0;
        // A pawn on the first or last rank would step off the board when it
        // moves; no game can reach such a position.
        if (piece == Pawn && (Row(sq) == 0 || Row(sq) == 7)) return 0;
        PutPiece(p, piece, colour, slot, sq);
        p.listLast[colour] = slot + 1;
        sq++;
    }
    return 1;
}

int ReadCastling(Position &p, const char *field, int length) {
    if (length == 1 && field[0] == '-') return 1;
    for (int n = 0; n < length; n++) {
        switch (field[n]) {
            case 'Q': p.castleRights |= WhiteQueenside; break;
            case 'K': p.castleRights |= WhiteKingside; break;
            case 'q': p.castleRights |= BlackQueenside; break;
            case 'k': p.castleRights |= BlackKingside; break;
            default: return 0;
        }
    }
    return 1;
}

int ReadEnPassant(Position &p, const char *field, int length) {
    if (length == 1 && field[0] == '-') return 1;
    // Only the first two characters name the square; a one-character field
    // ends at a delimiter or the NUL, which no square name contains.
    const int sq = SquareFromName(field);
    if (sq < 0) return 0;
    const int step = PawnStep[p.side];
    if (Row(sq) != (p.side == White ? 2 : 5)) return 0;
    const int pawn = sq - step, origin = sq + step;
    if (p.board[pawn] != Pawn || p.colour[pawn] != p.xside) return 0;
    if (p.board[sq] != Empty || p.board[origin] != Empty) return 0;
    p.epSquare = sq;
    return 1;
}

int ReadFenInto(Position &p, const char *text) {
    std::memset(&p, 0, sizeof p);
    for (int sq = 0; sq < 64; sq++) {
        p.pieceSlot[sq] = -1;
        p.colour[sq] = NoColour;
    }
    for (int slot = 0; slot < 32; slot++) p.pieceList[slot] = -1;
    p.listFirst[White] = p.listLast[White] = 0;
    p.listFirst[Black] = p.listLast[Black] = 16;
    p.side = White;
    p.xside = Black;

    const char *cursor = text;
    const char *field;
    int length;
    if (!NextField(&cursor, &field, &length) || !ReadBoard(p, field, length)) return 0;
    p.listLast[White]--;
    p.listLast[Black]--;
    if (p.pieceCount[White][King] != 1 || p.pieceCount[Black][King] != 1) return 0;

    if (NextField(&cursor, &field, &length)) {
        if (length != 1) return 0;
        if (field[0] == 'b') {
            p.side = Black;
            p.xside = White;
        } else if (field[0] != 'w' && field[0] != '-') {
            return 0;
        }
        if (NextField(&cursor, &field, &length)) {
            if (!ReadCastling(p, field, length)) return 0;
            if (NextField(&cursor, &field, &length) && !ReadEnPassant(p, field, length)) return 0;
        }
    }
    p.startKey = p.key;
    return 1;
}

}  // namespace

int ReadFen(const char *text) {
    if (text == nullptr || !ReadFenInto(Scratch, text)) return 0;
    Pos = Scratch;
    return 1;
}

int SetStartPosition() { return ReadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"); }

void WriteFen(char *buffer) {
    static const char Letters[2][8] = {" PNBRQK", " pnbrqk"};
    char *out = buffer;
    for (int row = 0; row < 8; row++) {
        int empty = 0;
        for (int file = 0; file < 8; file++) {
            const int sq = row * 8 + file;
            const int piece = Pos.board[sq], colour = Pos.colour[sq];
            if (piece < Pawn || piece > King || unsigned(colour) > 1u) {
                empty++;
                continue;
            }
            if (empty) *out++ = char('0' + empty);
            empty = 0;
            *out++ = Letters[colour][piece];
        }
        if (empty) *out++ = char('0' + empty);
        if (row < 7) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = Pos.side == White ? 'w' : 'b';
    *out++ = ' ';

    // Letters only for rights whose king and rook still stand ready, in the
    // order Q, K, q, k that stored book texts use.
    const char *const castleStart = out;
    auto stands = [](int sq, int piece, int colour) {
        return Pos.board[sq] == piece && Pos.colour[sq] == colour;
    };
    if ((Pos.castleRights & WhiteQueenside) && stands(SQ_E1, King, White) && stands(SQ_A1, Rook, White))
        *out++ = 'Q';
    if ((Pos.castleRights & WhiteKingside) && stands(SQ_E1, King, White) && stands(SQ_H1, Rook, White))
        *out++ = 'K';
    if ((Pos.castleRights & BlackQueenside) && stands(SQ_E8, King, Black) && stands(SQ_A8, Rook, Black))
        *out++ = 'q';
    if ((Pos.castleRights & BlackKingside) && stands(SQ_E8, King, Black) && stands(SQ_H8, Rook, Black))
        *out++ = 'k';
    if (out == castleStart) *out++ = '-';
    *out++ = ' ';

    // The last field follows the last move made, not epSquare: the square
    // behind a pawn's origin after every pawn move.
    const int made = Pos.gamePly + searchPly;
    int behind = -1;
    if (made > 0 && made <= HISTORY_SLOTS) {
        const Move last = Pos.moveHistory[made - 1];
        if (MovePiece(last) == Pawn) behind = MoveFrom(last) + PawnStep[Pos.side & 1];
    }
    if (behind >= 0 && behind < 64) {
        *out++ = SquareName[behind][0];
        *out++ = SquareName[behind][1];
    } else {
        *out++ = '-';
    }
    while (out > buffer && (out[-1] == '-' || out[-1] == ' ')) out--;
    *out = '\0';
}
