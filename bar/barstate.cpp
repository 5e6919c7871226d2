#include "barstate.h"

void FillNavButtons(BarState& state)
{
    for (int n = 1; n <= 5; ++n)
        state.NavButtons[n] = IntRect{10 * n, 18, 10 * n + 10, 29};
}
