// The position record, the move word, the move stack and the constant tables
// that every other subsystem reads. The Position record is also the image of a
// game file, so its layout is fixed to the byte and checked below.
#pragma once

#include <cstddef>
#include <cstdint>

// Piece codes. Code 7 never stands on the board; tables indexed by piece have 8 entries.
enum PieceCode : int { Empty = 0, Pawn = 1, Knight = 2, Bishop = 3, Rook = 4, Queen = 5, King = 6 };
// Colour codes; the opponent of colour c is c ^ 1.
enum ColourCode : int { White = 0, Black = 1, NoColour = 2 };
// Castling-right bits: for colour c the queenside bit is 1 << 2c, the kingside bit 2 << 2c.
enum CastleRight : int { WhiteQueenside = 1, WhiteKingside = 2, BlackQueenside = 4, BlackKingside = 8 };

// Piece kinds as bit sets (1 << piece code), used by the attack tables.
constexpr int PAWN_BIT = 1 << Pawn, KNIGHT_BIT = 1 << Knight, BISHOP_BIT = 1 << Bishop,
              ROOK_BIT = 1 << Rook, QUEEN_BIT = 1 << Queen, KING_BIT = 1 << King;
constexpr int SLIDER_BITS = BISHOP_BIT | ROOK_BIT | QUEEN_BIT;  // 56

// Squares: 0 = a8 ... 63 = h1 (FEN order). Row 0 is rank 8; file 0 is file a.
constexpr int Row(int sq) { return sq >> 3; }
constexpr int File(int sq) { return sq & 7; }
constexpr int Square88(int sq) { return (sq & ~7) * 2 | (sq & 7); }
constexpr int SquareFrom88(int s) { return (s & ~7) >> 1 | (s & 7); }
constexpr bool OnBoard88(int s) { return (s & 0x88) == 0; }
static_assert(Square88(63) == 0x77 && SquareFrom88(0x77) == 63 && !OnBoard88(0x78));

// Named squares used by castling and tests.
constexpr int SQ_A8 = 0, SQ_E8 = 4, SQ_H8 = 7, SQ_A1 = 56, SQ_E1 = 60, SQ_H1 = 63;

// The move word. A promotion has bit 31 set, so it reads negative as a signed int.
using Move = uint32_t;
constexpr Move CASTLE_KINGSIDE = 0x08000000u;
constexpr Move CASTLE_QUEENSIDE = 0x10000000u;
constexpr Move EN_PASSANT = 0x20000000u;
constexpr Move CAPTURE = 0x40000000u;
constexpr Move PROMOTION = 0x80000000u;
constexpr Move CASTLE_FLAGS = CASTLE_KINGSIDE | CASTLE_QUEENSIDE;

constexpr int MoveTo(Move m) { return int(m & 63); }
constexpr int MoveFrom(Move m) { return int((m >> 6) & 63); }
constexpr int MovePiece(Move m) { return int((m >> 12) & 7); }
constexpr Move MakeMoveWord(int piece, int from, int to) {
    return Move(piece) << 12 | Move(from) << 6 | Move(to);
}

// Undo data of one history slot; all zero when not in use.
struct UndoRecord {
    int32_t capturedSquare;
    int32_t capturedPiece;
    int32_t capturedSlot;
    int32_t castleRightsBefore;
};
static_assert(sizeof(UndoRecord) == 16);

constexpr int HISTORY_SLOTS = 500;
constexpr int MAX_GAME_MOVES = 400;
constexpr int32_t GAME_FILE_TAG = 11;

// The one global position. Every integer is little-endian in the game file;
// the record is written and read through explicit encoders, never as raw memory.
struct Position {
    int32_t formatTag;
    int32_t board[64];
    int32_t colour[64];
    int32_t pieceSlot[64];
    int32_t pieceList[32];
    int32_t listFirst[2];
    int32_t listLast[2];
    int32_t pieceCount[2][8];
    int32_t material[2];
    int32_t pawnsOnFile[2][8];
    int32_t pawnsOnRow[2][8];
    int32_t castleRights;
    int32_t side;
    int32_t xside;
    int32_t castled[2];
    int32_t kingSquare[2];
    int32_t epSquare;
    int32_t padding;  // always zero; aligns the keys
    uint64_t key;
    uint64_t startKey;
    int32_t gamePly;
    int32_t gameLength;
    uint32_t moveHistory[HISTORY_SLOTS];
    uint64_t keyHistory[HISTORY_SLOTS];
    UndoRecord undoHistory[HISTORY_SLOTS];
    int32_t scoreHistory[HISTORY_SLOTS];
};

constexpr size_t POSITION_BYTES = 17176;
static_assert(sizeof(Position) == POSITION_BYTES);
static_assert(offsetof(Position, formatTag) == 0);
static_assert(offsetof(Position, board) == 4);
static_assert(offsetof(Position, colour) == 260);
static_assert(offsetof(Position, pieceSlot) == 516);
static_assert(offsetof(Position, pieceList) == 772);
static_assert(offsetof(Position, listFirst) == 900);
static_assert(offsetof(Position, listLast) == 908);
static_assert(offsetof(Position, pieceCount) == 916);
static_assert(offsetof(Position, material) == 980);
static_assert(offsetof(Position, pawnsOnFile) == 988);
static_assert(offsetof(Position, pawnsOnRow) == 1052);
static_assert(offsetof(Position, castleRights) == 1116);
static_assert(offsetof(Position, side) == 1120);
static_assert(offsetof(Position, xside) == 1124);
static_assert(offsetof(Position, castled) == 1128);
static_assert(offsetof(Position, kingSquare) == 1136);
static_assert(offsetof(Position, epSquare) == 1144);
static_assert(offsetof(Position, padding) == 1148);
static_assert(offsetof(Position, key) == 1152);
static_assert(offsetof(Position, startKey) == 1160);
static_assert(offsetof(Position, gamePly) == 1168);
static_assert(offsetof(Position, gameLength) == 1172);
static_assert(offsetof(Position, moveHistory) == 1176);
static_assert(offsetof(Position, keyHistory) == 3176);
static_assert(offsetof(Position, undoHistory) == 7176);
static_assert(offsetof(Position, scoreHistory) == 15176);

// Move lists of all search plies, end to end. The list of ply p is
// moves[first[p]] .. moves[first[p+1] - 1].
constexpr int MOVE_STACK_SIZE = 10000;
constexpr int MOVE_STACK_PLIES = 104;
struct MoveStackRecord {
    uint32_t moves[MOVE_STACK_SIZE];
    int32_t sortKey[MOVE_STACK_SIZE];
    int32_t first[MOVE_STACK_PLIES];
};

extern Position Pos;  // the one global position
extern MoveStackRecord MoveStack;
extern int32_t searchPly;  // plies made since the root of the current search

// Constant tables.
extern const int StepDelta[16];
extern const int StepFirst[7];
extern const int StepLast[7];
extern const int PawnStep[2];
extern const int PromotionRow[2];
extern const int PawnStartRow[2];
extern const int PieceValue[8];
extern const char *const SquareName[64];

// Position keys: PieceKey[colour][piece][square]; entries for piece codes 0 and 7 are 0.
extern uint64_t PieceKey[2][8][64];
// Fills PieceKey from the generator in its fixed order; called once by HashInit
// before anything else draws from the generator.
void FillPieceKeys();

// Puts a piece with its slot on an empty square of a record and updates every
// derived field and the key. Making moves and reading a FEN share it.
inline void PutPiece(Position &p, int piece, int colour, int slot, int sq) {
    p.board[sq] = piece;
    p.colour[sq] = colour;
    p.pieceSlot[sq] = slot;
    p.pieceList[slot] = sq;
    p.material[colour] += PieceValue[piece];
    p.pieceCount[colour][piece]++;
    if (piece == Pawn) {
        p.pawnsOnFile[colour][File(sq)]++;
        p.pawnsOnRow[colour][Row(sq)]++;
    } else if (piece == King) {
        p.kingSquare[colour] = sq;
    }
    p.key ^= PieceKey[colour][piece][sq];
}

// The program's pseudo-random generator: 32-bit state starting at 1.
int RandomDraw();  // 0..32767
void RandomSeed(uint32_t seed);

// First square whose name matches the text's first two characters, or -1.
int SquareFromName(const char *text);

// Ends the process abnormally when an internal invariant is broken.
void AssertOrAbort(bool condition);
