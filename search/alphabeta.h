// Alpha-beta search below the root, quiescence search, and the draw and
// remembered-score tests that the root search shares.
// Owns NullMoveActive and ReducedSearch; called by PvSearch (search/root.cpp).
#pragma once

#include <cstdint>

#include "board/board.h"

constexpr int LINE_BUFFER_MOVES = 100;  // a line buffer indexed by ply; plies up to 97 occur
constexpr int LINE_COPY_LIMIT = 96;     // a line is never copied beyond this index
constexpr int NULL_REDUCTION = 3;       // the null move's child searches this much shallower
constexpr int NULL_EVAL_MARGIN = 500;   // a null move needs a static score near beta
constexpr int FULL_WIDTH_MOVES = 3;     // moves searched without reduction at each node
constexpr int REPETITION_PLIES = 50;    // reversible plies in a row that count as a draw
constexpr int BOOK_DRAW_WINDOW = 16;    // a book position is worth between -16 and 16
// A node that would leave fewer free move-stack entries than this is scored statically;
// no position has more moves, so a node never writes past the stack.
constexpr int MOVE_STACK_RESERVE = 256;

extern int32_t NullMoveActive;  // inside the subtree of a null move
extern int32_t ReducedSearch;   // inside a reduced null-window search of a late move

int AlphaBeta(int alpha, int beta, int depth, int inCheck, Move *line, int afterNull, int onLine,
              int allowNull, Move hintMove);
int Quiesce(int alpha, int beta);

int RepetitionDraw();
// 1 with the remembered score stored in *score when the book table answers for this node.
int ProbeBookScore(int alpha, int beta, int depth, int *score);

// The draw score of a repetition or no-progress draw for the side to move.
int DrawScore();

// Makes a move of the node's list when it is legal: in check the list holds
// only legal moves; otherwise an illegal castling is skipped and a move that
// leaves the king attacked is taken back. 0 when the move was not made.
inline int MakeLegalMove(Move m, int inCheck) {
    if (!inCheck) {
        if ((m & CASTLE_FLAGS) && !CastleIsLegal(m)) return 0;
        MakeMove(m);
        if (SquareAttacked(Pos.kingSquare[Pos.xside], Pos.side)) {
            UnmakeMove(m);
            return 0;
        }
        return 1;
    }
    MakeMove(m);
    return 1;
}

// 1 when the move moves a pawn to its seventh rank (one step from promotion).
inline int PawnToSeventh(Move m, int mover) {
    return MovePiece(m) == Pawn && !(m & PROMOTION) && Row(MoveTo(m)) == (mover == White ? 1 : 6);
}

// Copies the child's line behind the node's move into the node's line buffer.
inline void UpdateLine(Move *line, const Move *localLine, Move move) {
    int ply = searchPly;
    if (ply + 1 < LINE_COPY_LIMIT) {
        int i = ply + 1;
        while (i < LINE_COPY_LIMIT && localLine[i] != 0) {
            line[i] = localLine[i];
            ++i;
        }
        line[i] = 0;
    }
    line[ply] = move;
}

// 1 when the move stack has no room for another full move list at this ply.
inline int MoveStackFull() {
    return MoveStack.first[searchPly] > MOVE_STACK_SIZE - MOVE_STACK_RESERVE;
}
