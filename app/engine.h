// Start-up, the command loop and the end of a run: the program directory and
// data file paths, the second-instance marker, the console commands and their
// state (force mode, time budget, game file name). Used by main and the search.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int TEXT_BUFFER_BYTES = 1024;

// Data files, looked for in the program's own directory.
constexpr const char *CONFIG_FILE_NAME = "tarnvik.cfg";
constexpr const char *LEARN_FILE_NAME = "tarnvik.lrn";
constexpr const char *BOOK_FILE_NAME = "tarnvik.bk";
constexpr const char *GAME_FILE_NAME = "tarnvik_save_game.dat";

constexpr int64_t START_TIME_PER_MOVE = 750;  // centiseconds

extern char ProgramDir[TEXT_BUFFER_BYTES];
extern char GameFileName[TEXT_BUFFER_BYTES];
extern int64_t TimePerMove;  // centiseconds for one move decision
extern int ForceMode;
extern int SecondInstance;  // 2 when another engine was running at start-up, else 0

const char *MakeFilePath(const char *dir, const char *name);
// Copies first and then second into out, cut to fit size bytes with its NUL.
void JoinText(char *out, size_t size, const char *first, const char *second = "");
void SetProgramDir(const char *argv0);
int CheckSecondInstance();
int InitEngine();  // 0 when start-up must stop

// The steps of a run that main calls in order.
void MakeConsoleUnbuffered();
void PrintBanner();
int LoadLearnedOrBook();  // 0 when neither the learn file nor the book can be read
void PrintPrompts();
void EndRun();  // writes the learn file back unless that is suppressed

void CommandLoop();
int PlyToMoveNumber(int ply);       // 0 at ply 0, then a White move and its reply count one
int CountLosingMoves(int lastPly);  // the resign rule, over the game record's scores

// Budgets of the "st" and "time" commands. Each returns 0, leaving *budget
// alone, when the text does not start with a number.
int SecondsToCentiseconds(const char *text, int64_t *budget);
int BudgetFromClock(const char *text, int gamePly, int64_t *budget);
