// The engine end to end: the real executable in a temporary directory with its
// data files, driven through standard input; exact standard output, standard
// error and exit status. Other engines may run at the same time (other tests,
// a person at the console). The engines started here get a network namespace of
// their own where the system allows it, so they cannot see the others' marker;
// where it does not, the "(2)" warning is taken out of the output, and tests
// that need the learn file written retry until the engine ran alone.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string BANNER = "# Chess, 3.2.x.s.x, Sep 14 2011 \n";
const std::string SECOND_WARNING = "# warning: tarnvik(2): learn file write disable \n";
const std::string HASH_LINES = "# hash table init: \n# get mem 50331648 byte(s) \n";
const std::string PROMPTS = "# <help> - help \n# move: ? \n";
const std::string START_OUTPUT = BANNER + HASH_LINES + PROMPTS;
const std::string NO_LEARN_FILE = "# learn file notfound, load book-file \n";

std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// Binds the name a running engine holds, as a running engine would.
void HoldInstanceMarker() {
    int marker = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const char name[] = "tarnvik.instance";
    memcpy(address.sun_path + 1, name, sizeof name - 1);
    bind(marker, reinterpret_cast<sockaddr *>(&address), socklen_t(offsetof(sockaddr_un, sun_path) + sizeof name));
}

struct EngineRun {
    std::string out;
    std::string err;
    int status = -1;           // exit status, or -1 when the process did not exit normally
    bool secondInstance = false;
};

class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnvik_engine_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_EQ(system(("cp '" TARNVIK_EXE "' '" + dir + "/tarnvik'").c_str()), 0);
        ASSERT_EQ(system(("cp '" TARNVIK_DATA_DIR "/tarnvik.cfg' '" + dir + "/'").c_str()), 0);
        // A small book of its own, so that the tests do not depend on the shipped one.
        WriteText(Path("tarnvik.bk"), "e2e4 e7e5 g1f3 b8c6\nd2d4 d7d5 c2c4 e7e6\n");
    }

    void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

    std::string Path(const std::string &name) const { return dir + "/" + name; }

    // Runs the engine with the given standard input. argv0 is the program path
    // it is told it was started as; it runs in cwd (default: its directory).
    // With marked set, the marker of a running engine is made before it starts.
    EngineRun RunEngine(const std::string &input, std::string argv0 = "", std::string cwd = "",
                        bool marked = false) {
        if (argv0.empty()) argv0 = Path("tarnvik");
        if (cwd.empty()) cwd = dir;
        WriteText(Path("stdin.txt"), input);
        pid_t child = fork();
        if (child == 0) {
            if (unshare(CLONE_NEWNET) != 0) unshare(CLONE_NEWUSER | CLONE_NEWNET);
            if (marked) HoldInstanceMarker();  // the socket stays open across exec
            if (chdir(cwd.c_str()) != 0) _exit(101);
            if (!freopen(Path("stdin.txt").c_str(), "rb", stdin)) _exit(102);
            if (!freopen(Path("stdout.txt").c_str(), "wb", stdout)) _exit(103);
            if (!freopen(Path("stderr.txt").c_str(), "wb", stderr)) _exit(104);
            std::string exe = Path("tarnvik");
            char *const args[] = {argv0.data(), nullptr};
            execv(exe.c_str(), args);
            _exit(105);
        }
        EngineRun run;
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadText(Path("stdout.txt"));
        run.err = ReadText(Path("stderr.txt"));
        size_t warning = run.out.find(SECOND_WARNING);
        if (warning != std::string::npos) {
            EXPECT_EQ(warning, BANNER.size()) << "the warning follows the banner";
            run.out.erase(warning, SECOND_WARNING.size());
            run.secondInstance = true;
        }
        for (const char *name : {"stdin.txt", "stdout.txt", "stderr.txt"}) unlink(Path(name).c_str());
        return run;
    }

    // Runs until no other engine was running at the start, so the end of the
    // run writes the learn file; skips the test if the machine stays busy.
    EngineRun RunAlone(const std::string &input) {
        for (int attempt = 0; attempt < 40; attempt++) {
            EngineRun run = RunEngine(input);
            if (!run.secondInstance) return run;
            unlink(Path("tarnvik.lrn").c_str());
            usleep(250000);
        }
        return EngineRun{};
    }

    // For the command tests: an empty learn file is read instead of the book,
    // so standard error holds only what the commands print.
    EngineRun RunCommands(const std::string &input) {
        WriteText(Path("tarnvik.lrn"), "");
        EngineRun run = RunEngine(input);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.substr(0, START_OUTPUT.size()), START_OUTPUT);
        run.out.erase(0, START_OUTPUT.size());
        return run;
    }

    std::string dir;
};

TEST_F(Engine, StartsWithTheBookThenWithTheLearnFile) {
    EngineRun first = RunAlone("");
    if (first.status == -1 && first.out.empty()) GTEST_SKIP() << "another engine kept running";
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, START_OUTPUT);
    EXPECT_EQ(first.err, NO_LEARN_FILE);
    ASSERT_TRUE(Exists(Path("tarnvik.lrn")));
    EXPECT_GT(ReadText(Path("tarnvik.lrn")).size(), 0u);  // the book positions

    unlink(Path("tarnvik.bk").c_str());  // the learn file is enough now
    EngineRun second = RunEngine("quit\n");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, START_OUTPUT);
    EXPECT_EQ(second.err, "");
}

TEST_F(Engine, StartUpFailuresEndWithStatusOne) {
    struct Case {
        const char *what;
        const char *config;  // null: no configuration file
        bool book;
        const char *out;
        const char *err;
    } cases[] = {
        {"no configuration", nullptr, true, "", "conf.file not found\n"},
        {"empty configuration", "", true, "# hash table init: \n", "# error: \"hash size\"=   \n"},
        {"hash size too small", "hash size=30\n", true, "# hash table init: \n",
         "# error: \"hash size\"=30\n   \n"},
        {"no learn file, no book", "hash size=32\n", false,
         "# hash table init: \n# get mem 3145728 byte(s) \n",
         "# learn file notfound, load book-file \nbook file notfound  \n"},
    };
    for (const Case &c : cases) {
        unlink(Path("tarnvik.cfg").c_str());
        if (c.config != nullptr) WriteText(Path("tarnvik.cfg"), c.config);
        if (!c.book) unlink(Path("tarnvik.bk").c_str());
        EngineRun run = RunEngine("quit\n");
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_EQ(run.out, BANNER + c.out) << c.what;
        EXPECT_EQ(run.err, c.err) << c.what;
        EXPECT_FALSE(Exists(Path("tarnvik.lrn"))) << c.what;
    }
}

TEST_F(Engine, BareProgramNameUsesTheCurrentDirectory) {
    WriteText(Path("tarnvik.lrn"), "");
    EngineRun run = RunEngine("force\ne2e4\nsave\n", "tarnvik", dir);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, START_OUTPUT);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(Path("tarnvik_save_game.dat")).size(), 17176u);

    // Started by a path from elsewhere, it still finds its files beside itself.
    EngineRun fromRoot = RunEngine("quit\n", Path("tarnvik"), "/");
    EXPECT_EQ(fromRoot.status, 0);
    EXPECT_EQ(fromRoot.out, START_OUTPUT);
}

TEST_F(Engine, CommandsPrintExactlyTheirReplies) {
    const std::string test_line_start = "   ---->(0)40 (1)39 (2)39 (3)38 (4)38 ";
    struct Case {
        const char *input;
        std::string out;
        std::string err;
    } cases[] = {
        {"xboard\nprotover 2\n",
         "feature setboard=1\nfeature done=1\nfeature sigint=0\nfeature sigterm=0\nfeature done=1\n", ""},
        {"HELP\nfoo\nsetboard\nsetboard 8/8/8\nE2E4\ne2e5\n\n   \n", "",
         "# unknow: HELP\n# unknow: foo\n# unknow: setboard\n# unknow: setboard\n# unknow: E2E4\n"
         "# unknow: e2e5\n"},
        {"deb 11\ndeb\ndeb x\ndeb 8\npos\n",
         "8  -   -   b   -   \n7    - R -   - B - \n6  -   -   - P -   \n5  p k   -   -   p \n"
         "4  -   p   - r - P \n3  P - K -   -   - \n2  - P -   -   -   \n1    -   -   -   - \n\n"
         "   a b c d e f g h \nmoves: 0\nside:  white\n",
         "#error\n#error\n#error\n"},
        {"time 1000\ntime 30000\ntime 2000000\ntime\nst 7.5\nst\n", "",
         "# warning:  time is < 3 sec \n# warning:  time is > 5 min \n"},
        {"force\ne2e4\ne7e5\ng1f3\nundo\ngetmoves\nredo\ngetmoves\nundo\nundo\nd7d5\nredo\ngetmoves\n",
         "e2e4 e7e5 \ne2e4 e7e5 g1f3 \ne2e4 d7d5 \n", ""},
        {"getmoves\nforce\no-o\ne2e4\nsetboard 8/8/8/8/8/8/8/K6k w\ngetmoves\n", "\n\n", "# unknow: o-o\n"},
        {"force\ne2e4\nsave\nnew\nload\ngetmoves\nsave other.dat\nnew\nload other.dat\nforce\ne7e5\nsave\n"
         "new\nload other.dat\ngetmoves\nload missing.dat\nsave no-such-dir/x.dat\n",
         "e2e4 \ne2e4 e7e5 \n", "# error open file missing.dat \n# error write file no-such-dir/x.dat \n"},
        {"score\n", "", ""},
        // Lines ended by "\r\n": the side field and "quit" are still whole words.
        {"setboard 8/8/8/8/8/8/8/K6k b\r\nquit\r\nxboard\n", "", ""},
    };
    for (const Case &c : cases) {
        EngineRun run = RunCommands(c.input);
        EXPECT_EQ(run.out, c.out) << c.input;
        EXPECT_EQ(run.err, c.err) << c.input;
    }
    EXPECT_EQ(ReadText(Path("tarnvik_save_game.dat")).size(), 17176u);

    EngineRun test = RunCommands("test\n");
    EXPECT_EQ(test.out.substr(0, test_line_start.size()), test_line_start);
    EXPECT_NE(test.out.find(" (78)1    ---->(79)40    ---->(80)40 (81)39 "), std::string::npos);
    EXPECT_NE(test.out.find(" (158)1    ---->(159)40    ---->(160)40 (161)39 (162)39 (163)38 \n"),
              std::string::npos);
    EXPECT_EQ(std::count(test.out.begin(), test.out.end(), '\n'), 1);
}

TEST_F(Engine, HelpIsFoundInsideAnyWord) {
    EngineRun run = RunCommands("help\nxhelp\nhelpful\n");
    const std::string first = "#  move formet(user input):                 \n";
    size_t count = 0;
    for (size_t at = run.out.find(first); at != std::string::npos; at = run.out.find(first, at + 1)) count++;
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3 * 24);
    EXPECT_NE(run.out.find("#  <save> [file], <load> [file] - save(load) game in binary format \n"),
              std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(Engine, LongLinesAreReadInPiecesOf1022) {
    EngineRun run = RunCommands(std::string(3000, 'x') + "\n");
    EXPECT_EQ(run.err, "# unknow: " + std::string(1022, 'x') + "\n# unknow: " + std::string(1022, 'x') +
                           "\n# unknow: " + std::string(956, 'x') + "\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(Engine, TheEngineAnswersMovesAndGo) {
    EngineRun run = RunCommands("st 0.1\ne2e4\nforce\nundo\nundo\ng1f3\ng8f6\ngo\nb8c6\ngetmoves\n");
    EXPECT_EQ(run.err, "");
    // Each answer shows the board, then names the move.
    size_t answers = 0;
    for (size_t at = run.out.find("\nmove "); at != std::string::npos; at = run.out.find("\nmove ", at + 1))
        answers++;
    EXPECT_EQ(answers, 3u);
    EXPECT_NE(run.out.find("side:  black\nmove "), std::string::npos);  // White's answer on "go"
    // "go" ended force mode, so the user's b8c6 was answered as well.
    ASSERT_GE(run.out.size(), 2u);
    std::string moves = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
    ASSERT_EQ(moves.size(), 26u) << moves;  // five moves of four letters, each with a blank
    EXPECT_EQ(moves.substr(0, 10), "g1f3 g8f6 ");
    EXPECT_EQ(moves.substr(15, 5), "b8c6 ");
}

TEST_F(Engine, NoMoveEndsTheTurnWithTheEnd) {
    struct Case {
        const char *input;
        std::string tail;
    } cases[] = {
        // Stalemate on "go": no greeting.
        {"setboard 7k/5Q2/6K1/8/8/8/8/8 b\ngo\n", "the end\n"},
        // The user mates the engine.
        {"setboard 7k/8/6K1/8/8/8/8/5Q2 w\nf1f8\n", "congratulations!\nthe end\n"},
    };
    for (const Case &c : cases) {
        EngineRun run = RunCommands(c.input);
        EXPECT_EQ(run.out, c.tail) << c.input;
        EXPECT_EQ(run.err, "") << c.input;
    }
}

TEST_F(Engine, TheRecordHoldsFourHundredMoves) {
    std::string input = "st 0.05\nforce\n";
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 400; i++) input += std::string(shuffle[i % 4]) + "\n";
    input += "g1f3\ngo\n";
    EngineRun run = RunCommands(input);
    EXPECT_EQ(run.err, "# unknow: g1f3\n");
    EXPECT_EQ(run.out.substr(run.out.size() - 8), "the end\n");
    EXPECT_EQ(run.out.find("\nmove "), std::string::npos);
}

TEST_F(Engine, LearnFileWriteFollowsTheConfiguration) {
    struct Case {
        const char *line;
        bool written;
    } cases[] = {
        {"learn file write=\"disable\"\n", false},
        {"learn file write=disable\n", true},  // the line end stays in the value
        {"learn file write=\"enable\"\n", true},
    };
    for (const Case &c : cases) {
        WriteText(Path("tarnvik.cfg"), std::string("hash size=32\n") + c.line);
        unlink(Path("tarnvik.lrn").c_str());
        EngineRun run = RunAlone("quit\n");
        if (run.status == -1) GTEST_SKIP() << "another engine kept running";
        EXPECT_EQ(run.status, 0) << c.line;
        EXPECT_EQ(Exists(Path("tarnvik.lrn")), c.written) << c.line;
    }
}

// A learn file that cannot be written is reported; the run still ends with 0.
TEST_F(Engine, AFailedLearnFileWriteIsReported) {
    ASSERT_EQ(mkdir(Path("tarnvik.lrn").c_str(), 0755), 0);  // a directory cannot be replaced
    WriteText(Path("tarnvik.lrn/keep"), "");
    EngineRun run = RunAlone("quit\n");
    if (run.status == -1 && run.out.empty()) GTEST_SKIP() << "another engine kept running";
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, START_OUTPUT);
    EXPECT_EQ(run.err, NO_LEARN_FILE + "error write learn file\n");
}

// The engine finds the marker of a running engine: it warns and leaves the
// learn file alone, whatever the configuration says.
TEST_F(Engine, ASecondInstanceDoesNotWriteTheLearnFile) {
    EngineRun run = RunEngine("quit\n", "", "", true);
    EXPECT_TRUE(run.secondInstance);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, START_OUTPUT);
    EXPECT_EQ(run.err, NO_LEARN_FILE);
    EXPECT_FALSE(Exists(Path("tarnvik.lrn")));
}

// The marker must go with the process however it ends, or a crashed engine
// would leave every later one unable to write its learn file. Both engines
// run in one namespace of their own, so no other engine can interfere.
TEST_F(Engine, AKilledEngineLeavesNoMarkerBehind) {
    WriteText(Path("tarnvik.lrn"), "");
    const std::string out = Path("second-out.txt");
    pid_t outer = fork();
    if (outer == 0) {
        if (unshare(CLONE_NEWNET) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) _exit(77);
        int keepOpen[2];
        if (pipe(keepOpen) != 0) _exit(90);
        std::string exe = Path("tarnvik");
        char *const args[] = {exe.data(), nullptr};
        pid_t first = fork();
        if (first == 0) {  // waits for input that never comes
            dup2(keepOpen[0], 0);
            if (!freopen(Path("first-out.txt").c_str(), "wb", stdout)) _exit(91);
            execv(exe.c_str(), args);
            _exit(92);
        }
        for (int i = 0; i < 500 && ReadText(Path("first-out.txt")).find(PROMPTS) == std::string::npos; i++)
            usleep(20000);
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        pid_t second = fork();
        if (second == 0) {
            if (!freopen("/dev/null", "rb", stdin) || !freopen(out.c_str(), "wb", stdout)) _exit(93);
            execv(exe.c_str(), args);
            _exit(94);
        }
        int status = 0;
        waitpid(second, &status, 0);
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 95);
    }
    int status = 0;
    ASSERT_EQ(waitpid(outer, &status, 0), outer);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no namespace of its own for the engines";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadText(out), START_OUTPUT);  // no "(2)" warning
}

}  // namespace
