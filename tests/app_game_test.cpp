// The game record (insert, undo, redo, the 400-move limit) and game files
// (exact image, round trip, refusal of short, mistagged and corrupt files,
// and a failed save that must leave the previous file intact).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/engine.h"
#include "app/game.h"
#include "app/gamefile.h"
#include "board/board.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

bool SamePosition(const Position &a, const Position &b) { return memcmp(&a, &b, sizeof(Position)) == 0; }

class GameRecord : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InitAttackTables();
        FillPieceKeys();
    }

    void SetUp() override {
        char pattern[] = "/tmp/tarnvik_game_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        searchPly = 0;
        ASSERT_TRUE(SetStartPosition());
        JoinText(GameFileName, sizeof GameFileName, "default.dat");
    }

    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }

    std::string Path(const char *name) const { return dir + "/" + name; }

    // Plays the moves as the user would enter them, recording each with a score.
    void Play(std::initializer_list<const char *> moves, int score = USER_MOVE_SCORE) {
        for (const char *text : moves) {
            Move m;
            ASSERT_TRUE(TextToMove(text, &m)) << text;
            ASSERT_TRUE(InsertMoveInGame(m, score)) << text;
        }
    }

    std::string MovesMade() const {
        std::string moves;
        char text[8];
        for (int i = 0; i < Pos.gamePly; i++) moves += std::string(MoveToText(Pos.moveHistory[i], text)) + " ";
        return moves;
    }

    std::string dir;
};

TEST_F(GameRecord, UndoAndRedoMoveTheCursorAndKeepScores) {
    Play({"e2e4"});
    Play({"e7e5"}, -250);
    Play({"g1f3"});
    Position before = Pos;
    UndoGameMove();
    UndoGameMove();
    EXPECT_EQ(Pos.gamePly, 1);
    EXPECT_EQ(Pos.gameLength, 3);
    EXPECT_EQ(Pos.side, Black);
    RedoGameMove();
    RedoGameMove();
    RedoGameMove();  // nothing left to redo
    EXPECT_TRUE(SamePosition(Pos, before));
    EXPECT_EQ(Pos.scoreHistory[1], -250);

    // With nothing made, undo does nothing; with nothing kept, neither does redo.
    SetStartPosition();
    Position fresh = Pos;
    UndoGameMove();
    RedoGameMove();
    EXPECT_TRUE(SamePosition(Pos, fresh));
}

TEST_F(GameRecord, ANewMoveAfterUndoDropsTheRedoMoves) {
    Play({"e2e4", "e7e5", "g1f3"});
    UndoGameMove();
    UndoGameMove();
    Play({"c7c5"});
    EXPECT_EQ(Pos.gamePly, 2);
    EXPECT_EQ(Pos.gameLength, 2);
    EXPECT_EQ(MovesMade(), "e2e4 c7c5 ");
    EXPECT_EQ(Pos.moveHistory[2], 0u);  // the dropped g1f3 is gone from the record
    RedoGameMove();
    EXPECT_EQ(Pos.gamePly, 2);
}

TEST_F(GameRecord, MatchingAnIllegalTextAfterUndoClearsTheKeptMove) {
    Play({"e2e4", "e7e5"});
    UndoGameMove();
    Move m;
    EXPECT_FALSE(TextToMove("e7e4", &m));  // two square names, but no legal move
    RedoGameMove();
    EXPECT_EQ(Pos.gamePly, 1);
    EXPECT_EQ(Pos.side, Black);
}

TEST_F(GameRecord, TheFourHundredthMoveIsTheLast) {
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < MAX_GAME_MOVES; i++) Play({shuffle[i % 4]});
    EXPECT_EQ(Pos.gamePly, MAX_GAME_MOVES);
    Position full = Pos;
    Move m;
    ASSERT_TRUE(TextToMove("g1f3", &m));
    full = Pos;  // matching the text rebuilt the move list only
    EXPECT_EQ(InsertMoveInGame(m, 0), 0);
    EXPECT_TRUE(SamePosition(Pos, full));
}

TEST_F(GameRecord, SavedFileIsTheExactLittleEndianImage) {
    Play({"e2e4", "c7c5", "g1f3"});
    ASSERT_TRUE(SaveGame(Path("game.dat").c_str()));
    Bytes file = ReadFile(Path("game.dat"));
    ASSERT_EQ(file.size(), GAME_FILE_BYTES);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{0x0B, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Pos.formatTag, GAME_FILE_TAG);
    // Spot checks at the record's offsets: gamePly at 1168, the first move at 1176.
    EXPECT_EQ(file[1168], 3);
    uint32_t first = file[1176] | file[1177] << 8 | file[1178] << 16 | uint32_t(file[1179]) << 24;
    EXPECT_EQ(first, Pos.moveHistory[0]);
    // On a little-endian host the image is the record's memory, byte for byte.
    EXPECT_EQ(memcmp(file.data(), &Pos, GAME_FILE_BYTES), 0);
    EXPECT_STREQ(GameFileName, Path("game.dat").c_str());
    // No temporary file is left beside it.
    EXPECT_EQ(system(("test $(ls -A '" + dir + "' | wc -l) -eq 1").c_str()), 0);
}

TEST_F(GameRecord, LoadRestoresTheGameWithItsRedoMoves) {
    Play({"d2d4", "g8f6", "c2c4", "e7e6"});
    Play({"b1c3"}, 321);
    UndoGameMove();
    UndoGameMove();
    ASSERT_TRUE(SaveGame(Path("game.dat").c_str()));
    Position saved = Pos;

    ASSERT_TRUE(ReadFen("8/8/8/8/8/8/8/K6k w"));
    ASSERT_TRUE(LoadGame(Path("game.dat").c_str()));
    EXPECT_TRUE(SamePosition(Pos, saved));
    RedoGameMove();
    RedoGameMove();
    EXPECT_EQ(MovesMade(), "d2d4 g8f6 c2c4 e7e6 b1c3 ");
    EXPECT_EQ(Pos.scoreHistory[4], 321);

    // Bytes after the image are ignored.
    Bytes longer = ReadFile(Path("game.dat"));
    longer.push_back(0x55);
    WriteFile(Path("longer.dat"), longer);
    EXPECT_TRUE(LoadGame(Path("longer.dat").c_str()));
    EXPECT_STREQ(GameFileName, Path("longer.dat").c_str());
}

// A game with a capture, a castling and a promotion on its history, so the
// corruptions below reach undo data that making and unmaking would index.
const char *const RICH_GAME_FEN = "r3k2r/1P6/8/8/3p4/8/4P3/R3K2R w KQkq - 0 1";

TEST_F(GameRecord, LoadRefusesCorruptImagesAndKeepsTheGame) {
    ASSERT_TRUE(ReadFen(RICH_GAME_FEN));
    Play({"e2e4", "d4e3", "e1c1", "e8g8", "b7a8q"});
    UndoGameMove();
    ASSERT_TRUE(SaveGame(Path("good.dat").c_str()));
    const Bytes good = ReadFile(Path("good.dat"));

    auto setI32 = [](Bytes &b, size_t offset, uint32_t v) {
        for (int i = 0; i < 4; i++) b[offset + i] = uint8_t(v >> (8 * i));
    };
    const size_t undo1 = 7176 + 16 * 1;  // the undo record of the en-passant capture
    struct Case {
        const char *what;
        std::function<void(Bytes &)> corrupt;
    } cases[] = {
        {"one byte short", [](Bytes &b) { b.pop_back(); }},
        {"tag 12", [&](Bytes &b) { setI32(b, 0, 12); }},
        {"piece code out of range", [&](Bytes &b) { setI32(b, 4 + 4 * 20, 77); }},
        {"king square wrong", [&](Bytes &b) { setI32(b, 1136, 3); }},
        {"side equals xside", [&](Bytes &b) { setI32(b, 1120, 1); }},
        {"cursor past the length", [&](Bytes &b) { setI32(b, 1168, 7); }},
        {"length past 400", [&](Bytes &b) { setI32(b, 1172, 401); }},
        {"negative cursor", [&](Bytes &b) { setI32(b, 1168, 0xFFFFFFFF); }},
        {"captured square off the board", [&](Bytes &b) { setI32(b, undo1, 5000); }},
        {"captured slot off the list", [&](Bytes &b) { setI32(b, undo1 + 8, 40); }},
        {"castling rights before out of range", [&](Bytes &b) { setI32(b, 7176 + 16 * 2 + 12, 99); }},
        {"key after a move changed", [&](Bytes &b) { b[3176 + 8 * 2] ^= 1; }},
        {"made move replaced", [&](Bytes &b) { setI32(b, 1176 + 4 * 0, MakeMoveWord(Pawn, 52, 44)); }},
        {"redo move illegal", [&](Bytes &b) { setI32(b, 1176 + 4 * 4, MakeMoveWord(Rook, 56, 0)); }},
    };
    ASSERT_TRUE(SetStartPosition());
    Play({"e2e4"});
    JoinText(GameFileName, sizeof GameFileName, "default.dat");
    const Position before = Pos;
    for (const Case &c : cases) {
        Bytes bad = good;
        c.corrupt(bad);
        WriteFile(Path("bad.dat"), bad);
        EXPECT_EQ(LoadGame(Path("bad.dat").c_str()), 0) << c.what;
        EXPECT_TRUE(SamePosition(Pos, before)) << c.what;
        EXPECT_STREQ(GameFileName, "default.dat") << c.what;
    }
    EXPECT_EQ(LoadGame(Path("missing.dat").c_str()), 0);
    EXPECT_EQ(LoadGame(dir.c_str()), 0);  // a directory reads as nothing
    EXPECT_TRUE(SamePosition(Pos, before));

    // The uncorrupted file loads, scores are not checked.
    Bytes rescored = good;
    setI32(rescored, 15176, 0x80000000u);
    WriteFile(Path("rescored.dat"), rescored);
    EXPECT_EQ(LoadGame(Path("rescored.dat").c_str()), 1);
}

TEST_F(GameRecord, AFailedSaveKeepsThePreviousFile) {
    Play({"e2e4"});
    ASSERT_TRUE(SaveGame(Path("game.dat").c_str()));
    const Bytes previous = ReadFile(Path("game.dat"));
    Play({"e7e5"});
    JoinText(GameFileName, sizeof GameFileName, "default.dat");
    Pos.formatTag = 0;

    // The file size limit makes the write stop part-way, as a full disk would.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int saved = SaveGame(Path("game.dat").c_str());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);

    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadFile(Path("game.dat")), previous);
    EXPECT_EQ(system(("test $(ls -A '" + dir + "' | wc -l) -eq 1").c_str()), 0);  // no temporary left
    EXPECT_STREQ(GameFileName, "default.dat");
    EXPECT_EQ(Pos.formatTag, 0);

    EXPECT_EQ(SaveGame(Path("no-such-dir/game.dat").c_str()), 0);
    EXPECT_EQ(SaveGame(dir.c_str()), 0);  // cannot replace a directory
    EXPECT_STREQ(GameFileName, "default.dat");
}

TEST(GameImage, EncoderAndDecoderAreInverse) {
    Position p;
    uint8_t *raw = reinterpret_cast<uint8_t *>(&p);
    for (size_t i = 0; i < sizeof p; i++) raw[i] = uint8_t(i * 7 + 3);
    static uint8_t image[GAME_FILE_BYTES];
    EncodePosition(p, image);
    Position back;
    DecodePosition(image, &back);
    EXPECT_TRUE(SamePosition(p, back));
    // Integers are little-endian: the low byte of keyHistory[0] comes first.
    EXPECT_EQ(image[3176], uint8_t(p.keyHistory[0]));
    EXPECT_EQ(image[3183], uint8_t(p.keyHistory[0] >> 56));
}

}  // namespace
