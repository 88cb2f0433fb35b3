// The frame of one run: where the data files are, whether another engine is
// already running, the console, the banner, building the tables, loading what
// was learnt (or the book) and writing it back at the end.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/config.h"
#include "app/engine.h"
#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "search/search.h"

char ProgramDir[TEXT_BUFFER_BYTES];
int SecondInstance = 0;

namespace {

constexpr const char *VERSION_TEXT = "3.2.x.s.x";
constexpr const char *BUILD_DATE_TEXT = "Sep 14 2011";

// A returned path stays valid for eight further calls, which is enough for
// every caller to use it before it is overwritten.
constexpr int PATH_BUFFERS = 8;
char PathBuffer[PATH_BUFFERS][TEXT_BUFFER_BYTES];
int LastPathBuffer = PATH_BUFFERS - 1;

// The instance marker is a socket bound in the abstract namespace: the kernel
// drops the name when the process ends in any way, a crash or a kill included,
// so a dead engine can never leave learning disabled behind it.
constexpr char INSTANCE_NAME[] = "tarnvik.instance";

}  // namespace

void JoinText(char *out, size_t size, const char *first, const char *second) {
    if (size == 0) return;
    size_t at = 0;
    for (const char *text : {first, second}) {
        for (; text != nullptr && *text != '\0' && at + 1 < size; text++) out[at++] = *text;
    }
    out[at] = '\0';
}

const char *MakeFilePath(const char *dir, const char *name) {
    LastPathBuffer = (LastPathBuffer + 1) % PATH_BUFFERS;
    char *path = PathBuffer[LastPathBuffer];
    JoinText(path, TEXT_BUFFER_BYTES, dir, name);
    return path;
}

// The directory is everything up to and including the last '/'; only a path
// without any '/' is cut at its last '\\'. No separator means the current
// directory, written as the empty text.
void SetProgramDir(const char *argv0) {
    JoinText(ProgramDir, sizeof ProgramDir, argv0);
    char *separator = strrchr(ProgramDir, '/');
    if (separator == nullptr) separator = strrchr(ProgramDir, '\\');
    if (separator != nullptr)
        separator[1] = '\0';
    else
        ProgramDir[0] = '\0';
}

int CheckSecondInstance() {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_un address;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // sun_path[0] stays 0: that selects the abstract namespace.
    memcpy(address.sun_path + 1, INSTANCE_NAME, sizeof INSTANCE_NAME - 1);
    socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + sizeof INSTANCE_NAME - 1);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0) return 0;  // kept open
    int error = errno;
    close(fd);
    return error == EADDRINUSE ? 2 : 0;
}

int InitEngine() {
    InitAttackTables();
    if (!HashInit()) return 0;
    BuildEvalTables();
    return 1;
}

void MakeConsoleUnbuffered() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    setvbuf(stdin, nullptr, _IONBF, 0);
}

void PrintBanner() {
    printf("# Chess, %s, %s \n", VERSION_TEXT, BUILD_DATE_TEXT);
    if (SecondInstance == 2) printf("# warning: tarnvik(2): learn file write disable \n");
}

int LoadLearnedOrBook() {
    if (LearnLoad(MakeFilePath(ProgramDir, LEARN_FILE_NAME))) return 1;
    BookClear();
    fputs("# learn file notfound, load book-file \n", stderr);
    if (BookLoad(MakeFilePath(ProgramDir, BOOK_FILE_NAME))) return 1;
    fputs("book file notfound  \n", stderr);
    return 0;
}

void PrintPrompts() {
    printf("# <help> - help \n");
    printf("# move: ? \n");
}

void EndRun() {
    // Only the engine that found no other one running writes the learn file,
    // so two engines never overwrite each other's knowledge.
    if (SecondInstance != 0) return;
    if (strcmp(GetConfigValue("learn file write"), "disable") == 0) return;
    if (!LearnSave(MakeFilePath(ProgramDir, LEARN_FILE_NAME))) fputs("error write learn file\n", stderr);
}
