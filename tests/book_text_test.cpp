// The book text reader: tokenizer, skipped and counted lines, error messages,
// restoring the game, long lines and odd bytes, and the shipped opening book.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/game.h"
#include "board/board.h"
#include "book/book.h"

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

std::vector<std::string> Tokens(std::string line) {
    static char buffer[BOOK_LINE_BYTES];
    snprintf(buffer, sizeof buffer, "%s", line.c_str());
    BookTokenizer tokenizer;
    BookTokenizerInit(&tokenizer, buffer, BOOK_SEPARATORS);
    std::vector<std::string> out;
    while (char *token = NextBookToken(&tokenizer)) out.push_back(token);
    return out;
}

TEST(BookTokenizer, SplitsAtTheSeparatorsOnly) {
    struct Case {
        const char *line;
        std::vector<std::string> tokens;
    } cases[] = {
        {"e2e4 e7e5\n", {"e2e4", "e7e5"}},
        {"e2e4, e7e5!; g1f3?", {"e2e4", "e7e5", "g1f3"}},
        {"  e2e4!!?? #e7e5\r\n", {"e2e4", "e7e5"}},
        {";;\n", {}},
        {"", {}},
        {"e2e4\te7e5 o-o", {"e2e4\te7e5", "o-o"}},         // a tab belongs to the token
        {"\xff\x80g1f3 \x01", {"\xff\x80g1f3", "\x01"}},  // so do bytes above 127 and controls
    };
    for (const Case &c : cases) EXPECT_EQ(Tokens(c.line), c.tokens) << c.line;
}

TEST(BookTokenizer, ResetStartsTheLineAgain) {
    static char buffer[32] = "a b";
    BookTokenizer tokenizer;
    BookTokenizerInit(&tokenizer, buffer, BOOK_SEPARATORS);
    EXPECT_STREQ(NextBookToken(&tokenizer), "a");
    EXPECT_STREQ(NextBookToken(&tokenizer), "b");
    EXPECT_EQ(NextBookToken(&tokenizer), nullptr);
    EXPECT_EQ(NextBookToken(&tokenizer), nullptr);
    strcpy(buffer, "c");
    BookTokenizerReset(&tokenizer);
    EXPECT_STREQ(NextBookToken(&tokenizer), "c");
}

TEST(BookTokenizer, ReadBookLineSkipsCommentsAndBlankLines) {
    FILE *file = tmpfile();
    ASSERT_NE(file, nullptr);
    fputs("# comment\n\n    \n  # indented comment\n;;\n\tx\n last", file);
    rewind(file);
    static char line[BOOK_LINE_BYTES];
    std::vector<std::string> lines;
    while (ReadBookLine(line, file)) lines.push_back(line);
    fclose(file);
    EXPECT_EQ(lines, (std::vector<std::string>{";;\n", "\tx\n", " last"}));
}

class BookText : public ::testing::Test {
  protected:
    std::string path;
    void SetUp() override {
        ASSERT_TRUE(Ready);
        BookClear();
        searchPly = 0;
        SetStartPosition();
        char name[] = "/tmp/tarnvik_book_XXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path = name;
    }
    void TearDown() override {
        BookClear();
        remove(path.c_str());
    }
    // Writes the book text and loads it; returns what BookLoad printed.
    std::string Load(const std::string &text) {
        FILE *file = fopen(path.c_str(), "wb");
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
        testing::internal::CaptureStdout();
        EXPECT_EQ(BookLoad(path.c_str()), 1);
        return testing::internal::GetCapturedStdout();
    }
    // 1 when the position after the moves is in the table as a book position.
    static int Known(std::initializer_list<const char *> moves) {
        SetStartPosition();
        for (const char *text : moves) {
            Move m;
            if (!TextToMove(text, &m) || !InsertMoveInGame(m, 0)) return 0;
        }
        BookEntry *e = BookFind();
        int ok = e && e->book == 1 && e->origin == BOOK_ORIGIN_TEXT && e->score == 0 && e->depth == 0;
        SetStartPosition();
        return ok;
    }
};

TEST_F(BookText, EachMoveEntersThePositionAfterIt) {
    EXPECT_EQ(Load("e2e4 e7e5\n"), "");
    EXPECT_EQ(BookCount(), 2);
    EXPECT_TRUE(Known({"e2e4"}));
    EXPECT_TRUE(Known({"e2e4", "e7e5"}));
    EXPECT_FALSE(Known({}));  // the initial position itself is never entered
}

TEST_F(BookText, AnnotationsAndRepeatedLinesAddNothing) {
    EXPECT_EQ(Load("e2e4, e7e5!; g1f3?\ne2e4 e7e5 g1f3\ne2e4 e7e5 g1f3 b8c6"), "");
    EXPECT_EQ(BookCount(), 4);
    EXPECT_TRUE(Known({"e2e4", "e7e5", "g1f3"}));
    EXPECT_TRUE(Known({"e2e4", "e7e5", "g1f3", "b8c6"}));  // last line without a line end
}

TEST_F(BookText, BadTokenEndsItsLineAndSkippedLinesAreNotCounted) {
    std::string out = Load(
        "# header\n"
        "\n"
        "   \n"
        "  # indented\n"
        ";;\n"
        "d2d4 d7d5 e2e5 c2c4\n"
        "o-o\n"
        "g1f3 g8f6 g2g3 g7g6 f1g2 f8g7 o-o o-o\n");
    EXPECT_EQ(out, "#error: line 2, lexem e2e5\n#error: line 3, lexem o-o\n");
    EXPECT_TRUE(Known({"d2d4", "d7d5"}));
    EXPECT_FALSE(Known({"d2d4", "d7d5", "c2c4"}));  // legal, but after the bad token
    EXPECT_TRUE(Known({"g1f3", "g8f6", "g2g3", "g7g6", "f1g2", "f8g7", "o-o", "o-o"}));
    EXPECT_EQ(BookCount(), 2 + 8);
}

TEST_F(BookText, LongLinesAndOddBytesAreReadInPieces) {
    // 70000 bytes make one full read of 65533 and a second piece; each piece is
    // one counted line whose single token is refused.
    std::string line(70000, 'x');
    line[3] = '\xff';
    line[40000] = '\x01';
    std::string out = Load(line + "\ne2e4\n");
    std::string first = line.substr(0, 65533);
    std::string second = line.substr(65533);
    EXPECT_EQ(out, "#error: line 1, lexem " + first + "\n#error: line 2, lexem " + second + "\n");
    EXPECT_EQ(BookCount(), 1);
}

TEST_F(BookText, TheGameInProgressIsRestored) {
    Move m;
    for (const char *text : {"c2c4", "e7e5", "b1c3"}) {
        ASSERT_EQ(TextToMove(text, &m), 1);
        ASSERT_EQ(InsertMoveInGame(m, USER_MOVE_SCORE), 1);
    }
    UndoGameMove();  // keep a move for redo in the record
    Position before = Pos;
    Load("e2e4 e7e5 g1f3 b8c6 f1b5 a7a6\nd2d4 x\n");
    EXPECT_EQ(memcmp(&before, &Pos, sizeof Pos), 0);
    EXPECT_EQ(searchPly, 0);
}

TEST_F(BookText, MissingFileIsRefusedAndChangesNothing) {
    Load("e2e4\n");
    ASSERT_EQ(BookCount(), 1);
    EXPECT_EQ(BookLoad("/nonexistent-dir/tarnvik.bk"), 0);
    EXPECT_EQ(BookCount(), 1);
}

TEST(ShippedBook, LoadsCleanlyWithMainOpenings) {
    ASSERT_TRUE(Ready);
    BookClear();
    searchPly = 0;
    SetStartPosition();
    testing::internal::CaptureStdout();
    ASSERT_EQ(BookLoad(TARNVIK_DATA_DIR "/tarnvik.bk"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(BookCount(), 4015);

    // From the initial position the book offers the main first moves, and after
    // 1. e4 it answers with the main defences.
    struct Case {
        std::initializer_list<const char *> moves;
        std::vector<const char *> offered;
    } cases[] = {
        {{}, {"e2e4", "d2d4", "c2c4", "g1f3"}},
        {{"e2e4"}, {"e7e5", "c7c5", "e7e6", "c7c6", "d7d6", "d7d5", "g8f6"}},
        {{"d2d4", "g8f6", "c2c4"}, {"e7e6", "g7g6", "c7c5"}},
    };
    for (const Case &c : cases) {
        SetStartPosition();
        Move m;
        for (const char *text : c.moves) {
            ASSERT_EQ(TextToMove(text, &m), 1);
            ASSERT_EQ(InsertMoveInGame(m, 0), 1);
        }
        GenerateLegalMoves();
        BookEntry *entries[256];
        Move moves[256];
        int count = 0;
        ASSERT_EQ(BookProbe(MoveStack.first[0], MoveStack.first[1] - 1, entries, moves, &count), 1);
        std::vector<std::string> found;
        for (int i = 0; i < count; i++) found.push_back(MoveToText(moves[i]));
        for (const char *want : c.offered)
            EXPECT_NE(std::find(found.begin(), found.end(), want), found.end()) << want;
    }
    SetStartPosition();
    BookClear();
}

}  // namespace
