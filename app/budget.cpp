// Time budget of one move decision, from the "st" and "time" commands, and the
// move numbering it counts in. The program assumes a control of 40 moves,
// repeated, and gives every move left before the control an equal share.
#include <cstdint>

#include "app/engine.h"

namespace {

constexpr int MOVES_PER_CONTROL = 40;
// Budgets are saturated here (about 300 years) so that no number a user types
// can overflow the arithmetic of the budget or of the search clock.
constexpr int64_t MAX_WHOLE_SECONDS = 1000000000000LL;
constexpr int64_t MAX_CENTISECONDS = MAX_WHOLE_SECONDS * 100;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLeadingSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Optional white space and sign: returns the text after them and sets *negative.
const char *SkipSpaceAndSign(const char *p, bool *negative) {
    while (IsLeadingSpace(*p)) p++;
    *negative = false;
    if (*p == '+' || *p == '-') *negative = (*p++ == '-');
    return p;
}

}  // namespace

int PlyToMoveNumber(int ply) { return ply <= 0 ? 0 : (ply - 1) / 2 + 1; }

// The seconds are read as a decimal text, not as a double, so that an exact
// half of a centisecond (0.005, 0.015) goes to the even neighbour as written.
int SecondsToCentiseconds(const char *text, int64_t *budget) {
    if (text == nullptr) return 0;
    bool negative;
    const char *p = SkipSpaceAndSign(text, &negative);
    bool anyDigit = false;
    int64_t whole = 0;
    for (; IsDigit(*p); p++) {
        anyDigit = true;
        if (whole < MAX_WHOLE_SECONDS) whole = whole * 10 + (*p - '0');
    }
    if (whole > MAX_WHOLE_SECONDS) whole = MAX_WHOLE_SECONDS;
    int fraction[2] = {0, 0};  // tenths and hundredths
    int firstDropped = 0;      // the thousandths digit decides the rounding...
    bool restNonZero = false;  // ...and any later digit breaks a tie upwards
    if (*p == '.') {
        p++;
        for (int i = 0; IsDigit(*p); i++, p++) {
            anyDigit = true;
            int digit = *p - '0';
            if (i < 2)
                fraction[i] = digit;
            else if (i == 2)
                firstDropped = digit;
            else if (digit != 0)
                restNonZero = true;
        }
    }
    if (!anyDigit) return 0;
    int64_t centiseconds = whole * 100 + fraction[0] * 10 + fraction[1];
    bool roundUp = firstDropped > 5 || (firstDropped == 5 && (restNonZero || (centiseconds & 1)));
    if (roundUp && centiseconds < MAX_CENTISECONDS) centiseconds += 1;
    *budget = negative ? -centiseconds : centiseconds;
    return 1;
}

int BudgetFromClock(const char *text, int gamePly, int64_t *budget) {
    if (text == nullptr) return 0;
    bool negative;
    const char *p = SkipSpaceAndSign(text, &negative);
    if (!IsDigit(*p)) return 0;
    int64_t left = 0;
    for (; IsDigit(*p); p++) {
        if (left < MAX_CENTISECONDS) left = left * 10 + (*p - '0');
    }
    if (left > MAX_CENTISECONDS) left = MAX_CENTISECONDS;
    if (negative) left = -left;
    int movesToGo = MOVES_PER_CONTROL - PlyToMoveNumber(gamePly) % MOVES_PER_CONTROL;
    *budget = left / movesToGo;
    return 1;
}
