// The program: the start-up sequence, the command loop and the end of the run.
// Any failure before the command loop ends the process with exit status 1.
#include <cstdio>

#include "app/config.h"
#include "app/engine.h"
#include "board/board.h"

int main(int argc, char **argv) {
    SetProgramDir(argc > 0 ? argv[0] : nullptr);
    SecondInstance = CheckSecondInstance();
    MakeConsoleUnbuffered();
    PrintBanner();
    if (!ReadConfig(MakeFilePath(ProgramDir, CONFIG_FILE_NAME))) {
        fputs("conf.file not found\n", stderr);
        return 1;
    }
    if (!InitEngine()) return 1;
    if (!SetStartPosition()) return 1;
    if (!LoadLearnedOrBook()) return 1;
    JoinText(GameFileName, sizeof GameFileName, MakeFilePath(ProgramDir, GAME_FILE_NAME));
    PrintPrompts();
    CommandLoop();
    EndRun();
    return 0;
}
