// Move text both ways and the board display.

#include <gtest/gtest.h>

#include <string>

#include "board/board.h"

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

Move Word(const char *from, const char *to, int piece, Move flags = 0) {
    return MakeMoveWord(piece, SquareFromName(from), SquareFromName(to)) | flags;
}

TEST(MoveToText, WritesCoordinates) {
    ASSERT_TRUE(Ready);
    const struct {
        Move m;
        const char *text;
    } cases[] = {
        {Word("e1", "g1", King, CASTLE_KINGSIDE), "e1g1"},
        {Word("e8", "c8", King, CASTLE_QUEENSIDE), "e8c8"},
        {Word("e5", "d6", Pawn, CAPTURE | EN_PASSANT), "e5d6"},
        {Word("a7", "b8", Knight, PROMOTION), "a7b8n"},
        {Word("a7", "b8", Knight, PROMOTION | CAPTURE), "a7b8n"},
        {Word("h2", "h1", Queen, PROMOTION), "h2h1q"},
        {Word("c7", "c8", Rook, PROMOTION), "c7c8r"},
        {Word("c7", "c8", Bishop, PROMOTION), "c7c8b"},
        {Word("g1", "f3", Knight), "g1f3"},
    };
    for (const auto &c : cases) {
        char buffer[6];
        EXPECT_STREQ(MoveToText(c.m, buffer), c.text);
        EXPECT_STREQ(MoveToText(c.m), c.text);
    }
}

TEST(TextToMove, MatchesLegalMovesOnly) {
    const char *const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    const char *const CASTLE = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq";
    const char *const PROMOTE = "k7/6P1/8/8/8/8/8/K7 w";
    const struct {
        const char *fen, *text;
        int accepted;
        Move expected;
    } cases[] = {
        {START, "e2e4", 1, Word("e2", "e4", Pawn)},
        {START, "e2e4xyz", 1, Word("e2", "e4", Pawn)},
        {START, "e2e4q", 1, Word("e2", "e4", Pawn)},
        {START, "g1f3", 1, Word("g1", "f3", Knight)},
        {START, "E2E4", 0, 0},
        {START, "e2-e4", 0, 0},
        {START, "e2e5", 0, 0},
        {START, "O-O", 0, 0},
        {START, "0-0", 0, 0},
        {START, "o-o", 0, 0},
        {START, "e2e", 0, 0},
        {START, "", 0, 0},
        {CASTLE, "o-o", 1, Word("e1", "g1", King, CASTLE_KINGSIDE)},
        {CASTLE, "o-o-o", 1, Word("e1", "c1", King, CASTLE_QUEENSIDE)},
        {CASTLE, "e1c1", 1, Word("e1", "c1", King, CASTLE_QUEENSIDE)},
        {CASTLE, " o-o", 0, 0},
        {CASTLE, "o-o ", 0, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "o-o", 1, Word("e8", "g8", King, CASTLE_KINGSIDE)},
        {"r3k2r/8/8/8/8/5r2/8/R3K2R w KQkq", "o-o", 0, 0},   // f1 attacked
        {"r3k2r/8/8/8/8/5r2/8/R3K2R w KQkq", "e1g1", 0, 0},
        {PROMOTE, "g7g8", 1, Word("g7", "g8", Queen, PROMOTION)},
        {PROMOTE, "g7g8k", 1, Word("g7", "g8", Queen, PROMOTION)},
        {PROMOTE, "g7g8Q", 1, Word("g7", "g8", Queen, PROMOTION)},
        {PROMOTE, "g7g8N", 1, Word("g7", "g8", Knight, PROMOTION)},
        {PROMOTE, "g7g8R", 1, Word("g7", "g8", Rook, PROMOTION)},
        {PROMOTE, "g7g8b", 1, Word("g7", "g8", Bishop, PROMOTION)},
        {"6rk/7P/8/8/8/8/8/K7 w", "h7g8n", 1, Word("h7", "g8", Knight, PROMOTION | CAPTURE)},
        {"4k3/8/8/8/8/8/8/4RK2 w", "f1f2", 0, 0},  // illegal position: no list at all
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        Move m = 0xdeadbeef;
        EXPECT_EQ(TextToMove(c.text, &m), c.accepted) << c.fen << " '" << c.text << "'";
        EXPECT_EQ(m, c.accepted ? c.expected : 0xdeadbeef) << c.fen << " '" << c.text << "'";
    }
}

std::string Shown() {
    testing::internal::CaptureStdout();
    ShowPosition();
    return testing::internal::GetCapturedStdout();
}

TEST(ShowPosition, PrintsBoardAndStatus) {
    ASSERT_EQ(SetStartPosition(), 1);
    EXPECT_EQ(Shown(),
              "8  r n b q k b n r \n"
              "7  p p p p p p p p \n"
              "6  -   -   -   -   \n"
              "5    -   -   -   - \n"
              "4  -   -   -   -   \n"
              "3    -   -   -   - \n"
              "2  P P P P P P P P \n"
              "1  R N B Q K B N R \n"
              "\n"
              "   a b c d e f g h \n"
              "moves: 0\n"
              "side:  white\n");
    const struct {
        const char *move;
        const char *status;
    } steps[] = {{"e2e4", "moves: 1\nside:  black\n"},
                 {"e7e5", "moves: 1\nside:  white\n"},
                 {"g1f3", "moves: 2\nside:  black\n"}};
    for (const auto &step : steps) {
        Move m;
        ASSERT_EQ(TextToMove(step.move, &m), 1);
        MakeMove(m);
        Pos.gamePly++;
        searchPly = 0;
        const std::string text = Shown();
        EXPECT_EQ(text.substr(text.size() - std::string(step.status).size()), step.status) << step.move;
    }
}

}  // namespace
