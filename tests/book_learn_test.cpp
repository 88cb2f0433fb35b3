// The learn file: exact record bytes, save and load round trip, refusal of
// truncated, corrupt or hostile files as a whole, a save that cannot destroy
// the previous file, and the engine's fallback to the book at start-up.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "app/game.h"
#include "board/board.h"
#include "book/book.h"

namespace fs = std::filesystem;

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// One entry as the table holds it, without the link.
using Fields = std::tuple<uint64_t, int, int, int, int, int, int, std::string>;
Fields FieldsOf(const BookEntry *e) {
    return {e->key, e->score, e->origin, e->size, e->side, e->depth, e->book, e->text};
}

// Every chain of the table, front to back.
std::vector<std::vector<Fields>> Chains() {
    std::vector<std::vector<Fields>> chains(BOOK_BUCKETS);
    for (int b = 0; b < BOOK_BUCKETS; b++)
        for (const BookEntry *e = BookTable[b]; e; e = e->next) chains[b].push_back(FieldsOf(e));
    return chains;
}

BookEntry *TextEntry(uint64_t key, const char *text) {
    int size = 32 + int(strlen(text));
    BookEntry *e = BookAllocEntry(size);
    e->key = key;
    e->size = int16_t(size);
    memcpy(e->text, text, strlen(text));
    return e;
}

// A record of a position text "abc", built byte by byte as the file holds it.
Bytes Record(const char *text = "abc", uint8_t side = 1) {
    Bytes r(32 + strlen(text), 0);
    const uint64_t key = 0x1122334455667788u;
    for (int i = 0; i < 8; i++) r[i] = uint8_t(key >> (8 * i));
    r[16] = 0xFE, r[17] = r[18] = r[19] = 0xFF;  // score -2
    r[20] = 0x10, r[21] = 0x03;                  // origin 0x0310
    r[22] = uint8_t(r.size()), r[23] = 0;        // size
    r[24] = side, r[25] = 7, r[26] = 1;          // side, depth, book
    uint8_t sum = 0;
    for (const char *c = text; *c; c++) sum = uint8_t(sum + uint8_t(*c));
    r[27] = sum;
    memcpy(&r[28], text, strlen(text));
    return r;
}

Bytes Join(const Bytes &a, const Bytes &b) {
    Bytes r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

class LearnFile : public ::testing::Test {
  protected:
    std::string dir, path;
    void SetUp() override {
        ASSERT_TRUE(Ready);
        BookClear();
        searchPly = 0;
        SetStartPosition();
        char name[] = "/tmp/tarnvik_learn_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        path = dir + "/tarnvik.lrn";
    }
    void TearDown() override {
        BookClear();
        fs::remove_all(dir);
    }
    // A table with book positions, learnt results and chains of several entries.
    void FillTable() {
        static const char book[] = "e2e4 e7e5 g1f3 b8c6\nd2d4 g8f6 c2c4 e7e6\n";
        std::string bookPath = dir + "/tarnvik.bk";
        WriteBytes(bookPath, Bytes(book, book + strlen(book)));
        testing::internal::CaptureStdout();
        ASSERT_EQ(BookLoad(bookPath.c_str()), 1);
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "");
        Move m;
        for (const char *text : {"c2c4", "c7c5"}) {
            ASSERT_EQ(TextToMove(text, &m), 1);
            ASSERT_EQ(InsertMoveInGame(m, 0), 1);
            BookRecordResult(-31337, 12);
        }
        SetStartPosition();
        for (uint64_t i = 1; i <= 3; i++) {
            BookEntry *e = TextEntry(0xABCD0000u + (i << 32), "8/8/8/8/8/8/8/K6k w");
            e->score = int32_t(-1000000 * int(i));
            e->depth = int8_t(i);
            BookInsert(e);
        }
        ASSERT_EQ(BookCount(), 8 + 2 + 3);
    }
};

TEST_F(LearnFile, RecordBytesAreExact) {
    BookEntry *e = TextEntry(0x1122334455667788u, "abc");
    e->score = -2;
    e->origin = 0x0310;
    e->side = 1;
    e->depth = 7;
    e->book = 1;
    e->check = 0x99;  // stale: the save computes it again
    BookInsert(e);
    ASSERT_EQ(LearnSave(path.c_str()), 1);
    EXPECT_EQ(ReadBytes(path), Record());
    EXPECT_EQ(e->check, uint8_t('a' + 'b' + 'c'));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(LearnFile, RoundTripKeepsEntriesAndReversesChains) {
    FillTable();
    auto before = Chains();
    ASSERT_EQ(LearnSave(path.c_str()), 1);
    BookClear();
    ASSERT_EQ(LearnLoad(path.c_str()), 1);
    auto after = Chains();
    int longest = 0;
    for (int b = 0; b < BOOK_BUCKETS; b++) {
        std::vector<Fields> reversed(before[b].rbegin(), before[b].rend());
        ASSERT_EQ(after[b], reversed) << "bucket " << b;
        longest = std::max(longest, int(before[b].size()));
    }
    EXPECT_EQ(longest, 3);

    // The loaded table serves the game: book moves from the initial position.
    GenerateLegalMoves();
    BookEntry *entries[64];
    Move moves[64];
    int count = 0;
    EXPECT_EQ(BookProbe(MoveStack.first[0], MoveStack.first[1] - 1, entries, moves, &count), 1);
    EXPECT_EQ(count, 2);
}

TEST_F(LearnFile, EmptyFileLoadsAnEmptyTable) {
    WriteBytes(path, {});
    EXPECT_EQ(LearnLoad(path.c_str()), 1);
    EXPECT_EQ(BookCount(), 0);
}

TEST_F(LearnFile, MissingFileIsRefusedAndLeavesTheTable) {
    BookInsert(TextEntry(1, "x"));
    EXPECT_EQ(LearnLoad((dir + "/none.lrn").c_str()), 0);
    EXPECT_EQ(BookCount(), 1);
}

TEST_F(LearnFile, BadFilesAreRefusedAsAWhole) {
    const Bytes good = Join(Record("abc"), Record("rnbqkbnr/8/8/8/8/8/8/RNBQKBNR w", 0));
    WriteBytes(path, good);
    ASSERT_EQ(LearnLoad(path.c_str()), 1);
    ASSERT_EQ(BookCount(), 2);

    auto Changed = [&](int at, uint8_t value) {
        Bytes b = good;
        b[size_t(at)] = value;
        return b;
    };
    Bytes noZero = Record("abc");
    noZero[31] = 'd', noZero[32] = noZero[33] = noZero[34] = 'e';
    Bytes shortSize = Record("abc");
    shortSize[22] = 32;
    struct Case {
        const char *what;
        Bytes file;
    } cases[] = {
        {"text byte flipped", Changed(30, 'x')},
        {"check byte changed", Changed(27, 0)},
        {"second record's text flipped", Changed(35 + 28, 'R')},
        {"size says 32, no text", shortSize},
        {"size negative", Changed(23, 0x80)},
        {"size past the end of the file", Changed(22, 200)},
        {"size runs into the next record", Changed(22, 36)},
        {"no zero inside the record", noZero},
        {"a header cut short", Bytes(good.begin(), good.begin() + 20)},
        {"a good record then garbage", Join(Record(), Bytes(40, 0xFF))},
    };
    for (const Case &c : cases) {
        BookInsert(TextEntry(1, "kept?"));
        WriteBytes(path, c.file);
        EXPECT_EQ(LearnLoad(path.c_str()), 0) << c.what;
        EXPECT_EQ(BookCount(), 0) << c.what;  // what was linked before the bad record is gone too
    }

    // A file cut anywhere inside a record is refused; cut between records it is
    // a shorter good file.
    for (size_t length = 1; length < good.size(); length++) {
        WriteBytes(path, Bytes(good.begin(), good.begin() + long(length)));
        EXPECT_EQ(LearnLoad(path.c_str()), length == 35) << length;
        BookClear();
    }
}

TEST_F(LearnFile, ValuesOutsideTheTextAreNotChecked) {
    // The check byte covers the text only: a changed score, depth or flag loads.
    Bytes b = Record();
    b[16] = 0x05, b[25] = 99, b[26] = 0;
    WriteBytes(path, b);
    ASSERT_EQ(LearnLoad(path.c_str()), 1);
    ASSERT_EQ(BookCount(), 1);
    EXPECT_EQ(BookTable[0x7788]->score, int32_t(0xFFFFFF05));
    EXPECT_EQ(BookTable[0x7788]->depth, 99);
    EXPECT_EQ(BookTable[0x7788]->book, 0);
}

TEST_F(LearnFile, FailedSaveKeepsThePreviousFile) {
    FillTable();
    ASSERT_EQ(LearnSave(path.c_str()), 1);
    const Bytes previous = ReadBytes(path);
    BookRecordResult(1, 1);  // the table now differs from the file
    BookInsert(TextEntry(77, "more"));

    // The temporary file cannot be created.
    fs::create_directory(path + ".tmp");
    EXPECT_EQ(LearnSave(path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), previous);
    fs::remove(path + ".tmp");

    // Every write fails: the disk is full.
    if (fs::exists("/dev/full")) {
        fs::create_symlink("/dev/full", path + ".tmp");
        EXPECT_EQ(LearnSave(path.c_str()), 0);
        EXPECT_EQ(ReadBytes(path), previous);
        EXPECT_FALSE(fs::is_symlink(path + ".tmp"));
    }

    // The directory is gone.
    EXPECT_EQ(LearnSave((dir + "/missing/tarnvik.lrn").c_str()), 0);

    // And a save that can be made replaces the file.
    ASSERT_EQ(LearnSave(path.c_str()), 1);
    EXPECT_NE(ReadBytes(path), previous);
}

// Start-up reads the learn file, and only when it is refused reads the book.
TEST_F(LearnFile, StartUpFallsBackToTheBookOnlyForABadLearnFile) {
    fs::copy_file(TARNVIK_EXE, dir + "/tarnvik");
    fs::copy_file(TARNVIK_DATA_DIR "/tarnvik.cfg", dir + "/tarnvik.cfg");
    fs::copy_file(TARNVIK_DATA_DIR "/tarnvik.bk", dir + "/tarnvik.bk");
    Bytes corrupt = Record();
    corrupt[29] ^= 1;
    struct Case {
        const char *what;
        Bytes learn;
        bool fallsBack;
    } cases[] = {
        {"check byte wrong", corrupt, true},
        {"truncated", Bytes(corrupt.begin(), corrupt.end() - 1), true},
        {"empty", {}, false},
        {"good", Record(), false},
    };
    const std::string fallback = "# learn file notfound, load book-file \n";
    for (const Case &c : cases) {
        WriteBytes(path, c.learn);
        std::string command = "cd '" + dir + "' && echo quit | ./tarnvik >out.txt 2>err.txt";
        ASSERT_EQ(system(command.c_str()), 0) << c.what;
        Bytes err = ReadBytes(dir + "/err.txt");
        std::string errText(err.begin(), err.end());
        EXPECT_EQ(errText.find(fallback) != std::string::npos, c.fallsBack) << c.what << ": " << errText;
        Bytes out = ReadBytes(dir + "/out.txt");
        EXPECT_EQ(std::string(out.begin(), out.end()).find("#error"), std::string::npos) << c.what;
    }
}

}  // namespace
