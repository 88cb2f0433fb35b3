// The move decision: ChooseMove and the results it leaves for the command loop.

#include "search/search.h"

Move BestMove = 0;
int32_t BestScore = 0;
int32_t BestDepth = 0;

// The search is not in yet: report no move rather than invent one.
int ChooseMove(Move *out) {
    BestMove = 0;
    BestScore = 0;
    BestDepth = 0;
    (void)out;
    return 0;
}
