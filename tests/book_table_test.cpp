// The book position table: identity by key, side and text, the book flag that
// separates book moves from learnt positions, and recording search results.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "tests/board_support.h"
#include "book/book.h"

namespace {

const bool Ready = PrepareBoardTables();

BookEntry *NewBookPosition(int book, int score) {
    BookEntry *e = BookNewEntry();
    e->score = score;
    e->origin = book ? BOOK_ORIGIN_TEXT : 0;
    e->depth = 0;
    e->book = int8_t(book);
    BookInsert(e);
    return e;
}

// Texts of the moves that BookProbe offers from the current position.
std::string ProbedMoves() {
    GenerateLegalMoves();
    BookEntry *entries[256];
    Move moves[256];
    int count = -1;
    int last = MoveStack.first[1] - 1;
    int found = BookProbe(MoveStack.first[0], last, entries, moves, &count);
    EXPECT_EQ(found, count > 0);
    std::string out;
    for (int i = 0; i < count; i++) {
        char text[6];
        out += std::string(out.empty() ? "" : " ") + MoveToText(moves[i], text);
    }
    return out;
}

class BookPositions : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Ready);
        BookClear();
        searchPly = 0;
        SetStartPosition();
    }
    void TearDown() override { BookClear(); }
};

TEST_F(BookPositions, NewEntryHoldsThePositionText) {
    PlayGameMoves({"e2e4"});
    BookEntry *e = BookNewEntry();
    ASSERT_NE(e, nullptr);
    char text[FEN_BUFFER_BYTES];
    WriteFen(text);
    EXPECT_STREQ(e->text, text);
    EXPECT_EQ(e->size, 32 + int(strlen(text)));
    EXPECT_EQ(e->key, Pos.key);
    EXPECT_EQ(e->side, Black);
    EXPECT_EQ(e->next, nullptr);
    // The three tail bytes after the text's zero are zero.
    const char *tail = e->text + strlen(text) + 1;
    EXPECT_EQ(tail[0] | tail[1] | tail[2], 0);
}

TEST_F(BookPositions, ProbeOffersBookPositionsOnly) {
    PlayGameMoves({"e2e4"});
    NewBookPosition(1, 0);
    SetStartPosition();
    PlayGameMoves({"d2d4"});
    BookEntry *learnt = NewBookPosition(0, 55);
    SetStartPosition();

    EXPECT_EQ(ProbedMoves(), "e2e4");
    // BookFind ignores the flag: the learnt position is found all the same.
    PlayGameMoves({"d2d4"});
    EXPECT_EQ(BookFind(), learnt);
}

TEST_F(BookPositions, SameKeyAndSideWithAnotherTextIsADifferentPosition) {
    PlayGameMoves({"g1f3"});
    BookEntry *real = NewBookPosition(1, 0);
    // A second entry with the same key and side but another text, in front of
    // the chain, as a key collision would put it.
    const char *otherText = "8/8/8/8/8/8/8/K6k b";
    int size = 32 + int(strlen(otherText));
    BookEntry *other = BookAllocEntry(size);
    other->key = Pos.key;
    other->side = int8_t(Pos.side);
    other->size = int16_t(size);
    other->book = 1;
    memcpy(other->text, otherText, strlen(otherText));
    BookInsert(other);
    ASSERT_EQ(BookTable[Pos.key & 0xFFFF], other);

    EXPECT_EQ(BookFind(), real);
    SetStartPosition();
    EXPECT_EQ(ProbedMoves(), "g1f3");
    EXPECT_EQ(BookCount(), 2);
}

TEST_F(BookPositions, EnPassantFieldMakesTheTextDiffer) {
    // The same placement reached by a pawn move and by a knight move is two
    // positions: the text carries the field of the last pawn move.
    PlayGameMoves({"g1f3", "g8f6", "e2e4"});
    uint64_t key = Pos.key;
    NewBookPosition(1, 0);
    SetStartPosition();
    PlayGameMoves({"e2e4", "g8f6", "g1f3"});
    ASSERT_EQ(Pos.key, key);
    EXPECT_EQ(BookFind(), nullptr);
}

TEST_F(BookPositions, RecordResultUpdatesOrCreatesOneEntry) {
    PlayGameMoves({"e2e4", "c7c5"});
    BookEntry *book = NewBookPosition(1, 0);
    BookRecordResult(-120, 9);
    BookRecordResult(35, 11);
    EXPECT_EQ(BookCount(), 1);
    EXPECT_EQ(book->score, 35);
    EXPECT_EQ(book->depth, 11);
    EXPECT_EQ(book->book, 1);
    EXPECT_EQ(book->origin, BOOK_ORIGIN_TEXT);

    PlayGameMoves({"g1f3"});
    BookRecordResult(-400, 7);
    BookRecordResult(-410, 8);
    EXPECT_EQ(BookCount(), 2);
    BookEntry *learnt = BookFind();
    ASSERT_NE(learnt, nullptr);
    EXPECT_EQ(learnt->score, -410);
    EXPECT_EQ(learnt->depth, 8);
    EXPECT_EQ(learnt->book, 0);
    EXPECT_EQ(learnt->origin, 0);
}

TEST_F(BookPositions, EmptyRangeAndEmptyTableGiveNothing) {
    BookEntry *entries[1];
    Move moves[1];
    int count = -1;
    EXPECT_EQ(BookProbe(5, 4, entries, moves, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ProbedMoves(), "");
    EXPECT_EQ(BookFind(), nullptr);
}

}  // namespace
