// The command loop: one line at a time from standard input, dispatched on its
// first word in a fixed order (the protocol depends on that order), and the
// engine's turn after a user's move or "go".
#include <cstdio>
#include <cstring>

#include "app/engine.h"
#include "app/game.h"
#include "board/board.h"
#include "eval/eval.h"
#include "search/search.h"

char GameFileName[TEXT_BUFFER_BYTES];
int64_t TimePerMove = START_TIME_PER_MOVE;
int ForceMode = 0;

namespace {

// One read takes at most 1022 characters, the line end included; a longer
// line arrives in pieces and each piece is handled as a line of its own.
constexpr int LINE_READ_CHARS = 1022;
static_assert(LINE_READ_CHARS + 2 <= TEXT_BUFFER_BYTES);

// Budgets outside this range are still used, but a person should know.
constexpr int64_t SHORT_BUDGET = 300;    // 3 s
constexpr int64_t LONG_BUDGET = 30000;   // 5 min
constexpr int RESIGN_COUNT = 4;
constexpr int TEST_LAST_PLY = 163;
constexpr int MOVES_PER_CONTROL = 40;

const char *const HelpLines[] = {
    "#  move formet(user input):                 \n",
    "#          <from><to>[promote_piece]        \n",
    "#    sample:                                \n",
    "#          e2e4,  a6a7q                     \n",
    "#  <quit>            - exit and save learn. \n",
    "#  <undo>            - go to back           \n",
    "#  <redo>            - ---                  \n",
    "#  <new>             - new game             \n",
    "#  <force>           - for input moves      \n",
    "#  <st> <second>     - time per. move       \n",
    "#  <go>              - get move             \n",
    "#  <setboard>  <fen_pos> - put position     \n",
    "#  <pos>             - show position        \n",
    "#  <getmoves>        - print all moves      \n",
    "#  <save> [file], <load> [file] - save(load) game in binary format \n",
    "#  run undo xboard (winboard):                         \n",
    "#        xboard -fcp ./tarnvik              \n",
    "#        winboard -fd -fcp tarnvik          \n",
    "#  prog. search  output format:             \n",
    "#        depth  score  time(1/100sec.)  pos/sec   pv-line         \n",
    "#  about:                                   \n",
};

const char *const AboutLines[] = {
    "tarnvik, a chess engine for the console",
    "xboard / winboard protocol, version 2",
    "it learns from every position it searches",
};

const char *const DebugPositions[] = {
    "r4rk1/4Rp2/6p1/1p1p1bNp/p1qP3P/2P1Q3/P4PP1/4R1K1 b - - 0 0",
    "r1bq1r1k/ppp2pp1/2nbp2p/6NQ/3P4/2PB4/P1P2PPP/R1B2RK1 b - - 0 12",
    "2r2b1r/p1qk1ppp/2p1pn2/1B6/Pp6/4PP2/1PQB1P1P/2R2RK1 w - - 0 16 ",
    "r5k1/7p/1Rp2rp1/2Pp4/P2Qp3/4PqP1/3R1P1P/6K1 w - - 0 38",
    "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2",
    "rnbqkbnr/ppp1pppp/8/8/2pP4/8/PP2PPPP/RNBQKBNR w KQkq - 0 3",
    "r1b1kb1r/ppp1n3/3q4/4pp2/4Q1p1/3B4/PPPP1PP1/R1B1NRK1 w kq - 0 15",
    "4b3/2R3B1/5P2/pk5p/2p2r1P/P1K5/1P6/8 w - - 0 63",
    "r3kb1r/ppp1pppp/2n2n2/q7/2BP2b1/2N5/PPP1NPPP/R1BQK2R w KQkq - 5 7 ",
    "r3kb1r/ppp1pppp/2n2n2/q4b2/2BP4/2N2P2/PPP1N1PP/R1BQK2R w KQkq - 1 8 ",
};

// The words of one line. Words end at blanks and line ends only; a tab is part
// of a word. A carriage return counts as a line end, so that lines sent as
// "\r\n" read the same. Words are cut in place in the line buffer.
struct LineWords {
    char *cursor;         // where the next word starts (or the end of the line)
    const char *command;  // the first word, which decided the dispatch
};

bool IsWordEnd(char c) { return c == ' ' || c == '\n' || c == '\r'; }

// The next word, or null when the line holds no more.
char *NextWord(LineWords *words) {
    char *p = words->cursor;
    while (*p != '\0' && IsWordEnd(*p)) p++;
    if (*p == '\0') {
        words->cursor = p;
        return nullptr;
    }
    char *word = p;
    while (*p != '\0' && !IsWordEnd(*p)) p++;
    if (*p != '\0') *p++ = '\0';
    words->cursor = p;
    return word;
}

// Everything after the command word up to the line end (the FEN of "setboard").
char *RestOfLine(LineWords *words) {
    char *rest = words->cursor;
    rest[strcspn(rest, "\r\n")] = '\0';
    return rest;
}

// A whole number with the leading-integer rule; text that is no number counts as 0.
int LeadingInteger(const char *text) {
    if (text == nullptr) return 0;
    while (*text == ' ' || *text == '\t') text++;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    long value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        if (value < 1000000) value = value * 10 + (*text - '0');
    }
    return int(negative ? -value : value);
}

// The side to move has no legal move and stands in check: the user has won.
bool SideToMoveIsMated() {
    searchPly = 0;
    GenerateLegalMoves();
    return MoveStack.first[1] == MoveStack.first[0] && InCheck();
}

void EngineTurn(bool afterUserMove) {
    Move m = 0;
    if (!ChooseMove(&m) || m == 0) {
        if (afterUserMove && SideToMoveIsMated()) printf("congratulations!\n");
        printf("the end\n");
        return;
    }
    if (!InsertMoveInGame(m, BestScore)) {
        printf("the end\n");
        return;
    }
    ShowPosition();
    printf("move %s\n", MoveToText(m));
    if (!afterUserMove) ForceMode = 0;
    if (CountLosingMoves(Pos.gamePly - 1) == RESIGN_COUNT) printf("computer resigns\n");
}

// Each command returns 1 when it has handled the line, 0 to let the dispatch
// go on (only "setboard" with a refused position and a word that is no move).
bool LoopEnds = false;

int DoQuit(LineWords *) {
    LoopEnds = true;
    return 1;
}

int DoHelp(LineWords *) {
    for (const char *line : HelpLines) fputs(line, stdout);
    for (const char *line : AboutLines) printf("#       %s  \n", line);
    return 1;
}

int DoXboard(LineWords *) {
    printf("feature setboard=1\n");
    printf("feature done=1\n");
    printf("feature sigint=0\n");
    printf("feature sigterm=0\n");
    return 1;
}

// Without a number the budget stays as it was.
int DoSt(LineWords *words) {
    SecondsToCentiseconds(NextWord(words), &TimePerMove);
    return 1;
}

int DoTime(LineWords *words) {
    if (!BudgetFromClock(NextWord(words), Pos.gamePly, &TimePerMove)) return 1;
    if (TimePerMove < SHORT_BUDGET)
        fputs("# warning:  time is < 3 sec \n", stderr);
    else if (TimePerMove > LONG_BUDGET)
        fputs("# warning:  time is > 5 min \n", stderr);
    return 1;
}

int DoForce(LineWords *) {
    ForceMode = 1;
    return 1;
}

int DoUndo(LineWords *) {
    UndoGameMove();
    return 1;
}

int DoRedo(LineWords *) {
    RedoGameMove();
    return 1;
}

int DoNew(LineWords *) {
    SetStartPosition();
    ForceMode = 0;
    return 1;
}

int DoProtover(LineWords *) {
    printf("feature done=1\n");
    return 1;
}

int DoDeb(LineWords *words) {
    int number = LeadingInteger(NextWord(words));
    const char *fen = number >= 1 && number <= 10 ? DebugPositions[number - 1] : "";
    if (!ReadFen(fen)) fputs("#error\n", stderr);
    return 1;
}

int DoSetboard(LineWords *words) { return ReadFen(RestOfLine(words)) ? 1 : 0; }

int DoGo(LineWords *) {
    EngineTurn(false);
    return 1;
}

int DoPos(LineWords *) {
    ShowPosition();
    return 1;
}

// The name of "load" and "save": the argument, or the current game file.
void GameFileArgument(LineWords *words, char name[TEXT_BUFFER_BYTES]) {
    const char *word = NextWord(words);
    JoinText(name, TEXT_BUFFER_BYTES, word != nullptr ? word : GameFileName);
}

int DoLoad(LineWords *words) {
    char name[TEXT_BUFFER_BYTES];
    GameFileArgument(words, name);
    if (!LoadGame(name)) fprintf(stderr, "# error open file %s \n", name);
    return 1;
}

int DoSave(LineWords *words) {
    char name[TEXT_BUFFER_BYTES];
    GameFileArgument(words, name);
    if (!SaveGame(name)) fprintf(stderr, "# error write file %s \n", name);
    return 1;
}

// The result is not shown: the command exercises the evaluation only.
int DoScore(LineWords *) {
    BuildEvalTables();
    Evaluate(-1000000, 1000000);
    return 1;
}

int DoGetmoves(LineWords *) {
    char text[8];
    for (int i = 0; i < Pos.gamePly && i < HISTORY_SLOTS; i++) printf("%s ", MoveToText(Pos.moveHistory[i], text));
    printf("\n");
    return 1;
}

int DoTest(LineWords *) {
    for (int ply = 0; ply <= TEST_LAST_PLY; ply++) {
        int inControl = PlyToMoveNumber(ply) % MOVES_PER_CONTROL;
        if (inControl == 0) printf("   ---->");
        printf("(%d)%d ", ply, MOVES_PER_CONTROL - inControl);
    }
    printf("\n");
    return 1;
}

enum class Match { Equal, Contains, UserMove };

struct Command {
    const char *word;
    Match match;
    int (*run)(LineWords *);
};

int DoUserMove(LineWords *words) {
    Move m;
    if (Pos.gamePly >= MAX_GAME_MOVES || !TextToMove(words->command, &m)) return 0;
    if (!InsertMoveInGame(m, USER_MOVE_SCORE)) return 0;
    if (!ForceMode) EngineTurn(true);
    return 1;
}

// In dispatch order: the first entry that matches and handles the line wins.
const Command Commands[] = {
    {"quit", Match::Equal, DoQuit},
    {"help", Match::Contains, DoHelp},
    {"xboard", Match::Equal, DoXboard},
    {"st", Match::Equal, DoSt},
    {"time", Match::Equal, DoTime},
    {"force", Match::Equal, DoForce},
    {"undo", Match::Equal, DoUndo},
    {"redo", Match::Equal, DoRedo},
    {"new", Match::Equal, DoNew},
    {"protover", Match::Equal, DoProtover},
    {"deb", Match::Equal, DoDeb},
    {"setboard", Match::Equal, DoSetboard},
    {nullptr, Match::UserMove, DoUserMove},
    {"go", Match::Equal, DoGo},
    {"pos", Match::Equal, DoPos},
    {"load", Match::Equal, DoLoad},
    {"save", Match::Equal, DoSave},
    {"score", Match::Equal, DoScore},
    {"getmoves", Match::Equal, DoGetmoves},
    {"test", Match::Equal, DoTest},
};

bool Matches(const Command &command, const char *word) {
    switch (command.match) {
        case Match::Equal: return strcmp(word, command.word) == 0;
        case Match::Contains: return strstr(word, command.word) != nullptr;
        case Match::UserMove: return true;
    }
    return false;
}

void DispatchLine(char *line) {
    LineWords words{line, nullptr};
    const char *word = NextWord(&words);
    if (word == nullptr) return;  // empty, or blanks only
    words.command = word;
    for (const Command &command : Commands) {
        if (Matches(command, word) && command.run(&words)) return;
    }
    fprintf(stderr, "# unknow: %s\n", word);
}

}  // namespace

void CommandLoop() {
    char line[TEXT_BUFFER_BYTES];
    LoopEnds = false;
    while (!LoopEnds && fgets(line, LINE_READ_CHARS + 1, stdin) != nullptr) DispatchLine(line);
}
