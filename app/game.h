// The game record inside the position (moves, scores, the undo/redo cursor)
// and the game files that save and load it. Used by the command loop; the
// book reader records its lines the same way.
#pragma once

#include <cstdint>

#include "board/position.h"

constexpr int32_t USER_MOVE_SCORE = 1000001;

int InsertMoveInGame(Move m, int score);  // 0 when the record is full
void UndoGameMove();
void RedoGameMove();
int SaveGame(const char *path);
int LoadGame(const char *path);
