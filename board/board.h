// Operations on the global position: attack tables and tests, move generation,
// make/unmake, FEN in and out, move text and the board display.
// Used by every other subsystem; the data they work on is in board/position.h.
#pragma once

#include "board/position.h"

// Attack tables, indexed by Square88(attacker) - Square88(target) + 119.
extern int AttackMask[256];
extern int AttackStep[256];
void InitAttackTables();
int SquareAttacked(int target, int attacker);  // 1 if colour `attacker` attacks `target`
int InCheck();                                 // 1 if the side to move is in check

// Move generation into MoveStack at ply searchPly. 0 means the position is
// illegal (the side to move could capture the enemy king) and the list is empty.
int GenerateMoves();
int GenerateCaptures();
int GenerateLegalMoves();
int CastleIsLegal(Move m);

void MakeMove(Move m);    // m = 0 is the null move
void UnmakeMove(Move m);  // m must be the move made last

int ReadFen(const char *text);  // 1 on success; on 0 the position is unchanged
int SetStartPosition();
constexpr int FEN_BUFFER_BYTES = 82;
void WriteFen(char *buffer);  // at least FEN_BUFFER_BYTES

char *MoveToText(Move m, char *buffer = nullptr);  // buffer of 6 bytes, or a static one
int TextToMove(const char *text, Move *out);
void ShowPosition();

// Recomputes everything derivable from the board and checks the record's
// invariants; 1 when the record is consistent. Used to refuse corrupt game files.
// The history is checked by taking every move back and playing it again: the
// first gamePly + searchPly slots must hold moves (game moves legal, search
// moves pseudo-legal or null) that lead from a FEN set-up to exactly this
// record, and the moves kept for redo must be legal in turn. Pos, MoveStack and
// searchPly are borrowed and given back unchanged.
int PositionIsConsistent(const Position &p);
