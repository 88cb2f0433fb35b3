// Start-up, the command loop and the end of a run.
#pragma once

#include <cstdint>

constexpr int TEXT_BUFFER_BYTES = 1024;

extern char ProgramDir[TEXT_BUFFER_BYTES];
extern char GameFileName[TEXT_BUFFER_BYTES];
extern int64_t TimePerMove;  // centiseconds for one move decision
extern int ForceMode;

const char *MakeFilePath(const char *dir, const char *name);
void SetProgramDir(const char *argv0);
int CheckSecondInstance();
int InitEngine();  // 0 when start-up must stop
void CommandLoop();
int PlyToMoveNumber(int ply);
int CountLosingMoves(int lastPly);
