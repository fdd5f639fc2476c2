#include "span/procedure.h"

namespace span
{

void Procedure::record(bool right)
{
    if (over)
        return;
    done.push_back({current, right});
    if (!right) {
        over = ++failed == 2;
        return;
    }
    best = current;
    failed = 0;
    // Nobody repeats 500 colours, but a round has room for no more.
    if (current == longestLength)
        over = true;
    else
        ++current;
}

} // namespace span
