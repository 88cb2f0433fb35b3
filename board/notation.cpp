// Coordinate move text both ways, and the board display for the console.

#include <cctype>
#include <cstdio>
#include <cstring>

#include "board/board.h"

char *MoveToText(Move m, char *buffer) {
    static char shared[6];
    static const char PromotionLetter[8] = {'\0', 'p', 'n', 'b', 'r', 'q', 'k', '\0'};
    char *out = buffer ? buffer : shared;
    const char *from = SquareName[MoveFrom(m)], *to = SquareName[MoveTo(m)];
    out[0] = from[0];
    out[1] = from[1];
    out[2] = to[0];
    out[3] = to[1];
    out[4] = (m & PROMOTION) ? PromotionLetter[MovePiece(m)] : '\0';
    out[5] = '\0';
    return out;
}

// The origin and destination named by the text, or 0 when it names none.
static int ReadSquares(const char *text, int *from, int *to) {
    if (strnlen(text, 4) == 4) {
        *from = SquareFromName(text);
        *to = SquareFromName(text + 2);
        if (*from >= 0 && *to >= 0) return 1;
    }
    const int home = Pos.side == White ? SQ_E1 : SQ_E8;
    if (std::strcmp(text, "o-o") == 0) {
        *from = home;
        *to = home + 2;
        return 1;
    }
    if (std::strcmp(text, "o-o-o") == 0) {
        *from = home;
        *to = home - 2;
        return 1;
    }
    return 0;
}

int TextToMove(const char *text, Move *out) {
    int from, to;
    if (text == nullptr || !ReadSquares(text, &from, &to)) return 0;
    if (!GenerateLegalMoves()) return 0;
    const int ply = searchPly;
    for (int i = MoveStack.first[ply]; i < MoveStack.first[ply + 1]; i++) {
        Move m = MoveStack.moves[i];
        if (MoveFrom(m) != from || MoveTo(m) != to) continue;
        if (m & PROMOTION) {
            // The list holds the Queen promotion first; the fifth character
            // may ask for another piece, Rook and Bishop included.
            int piece = Queen;
            switch (std::tolower(static_cast<unsigned char>(text[4]))) {
                case 'n': piece = Knight; break;
                case 'b': piece = Bishop; break;
                case 'r': piece = Rook; break;
                default: break;
            }
            m = (m & ~(Move(7) << 12)) | Move(piece) << 12;
        }
        *out = m;
        return 1;
    }
    return 0;
}

void ShowPosition() {
    static const char Letters[2][8] = {" PNBRQK", " pnbrqk"};
    char text[512];
    int n = 0;
    for (int row = 0; row < 8; row++) {
        n += std::snprintf(text + n, sizeof text - n, "%c  ", '8' - row);
        for (int file = 0; file < 8; file++) {
            const int sq = row * 8 + file;
            const int piece = Pos.board[sq], colour = Pos.colour[sq];
            char cell;
            if (piece >= Pawn && piece <= King && unsigned(colour) <= 1u)
                cell = Letters[colour][piece];
            else
                cell = (row + file) % 2 ? ' ' : '-';
            n += std::snprintf(text + n, sizeof text - n, "%c ", cell);
        }
        n += std::snprintf(text + n, sizeof text - n, "\n");
    }
    n += std::snprintf(text + n, sizeof text - n, "\n   ");
    for (int file = 0; file < 8; file++) n += std::snprintf(text + n, sizeof text - n, "%c ", 'a' + file);
    n += std::snprintf(text + n, sizeof text - n, "\n");
    const int moves = Pos.gamePly == 0 ? 0 : (Pos.gamePly - 1) / 2 + 1;
    n += std::snprintf(text + n, sizeof text - n, "moves: %d\nside:  %s\n", moves,
                       Pos.side == White ? "white" : "black");
    std::fputs(text, stdout);
    std::fflush(stdout);
}
