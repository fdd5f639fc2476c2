#include "round/colourdraw.h"

#include <cmath>

namespace sequence
{

int colourFor(float r)
{
    // In single precision r * 4 + 1 rounds up just below each quarter (0.99999994f gives 5);
    // in double the product and the sum are exact.
    const double value = std::floor(double(r) * colourCount + 1.0);
    if (!(value >= 1.0))
        return 1;
    return value > colourCount ? colourCount : int(value);
}

} // namespace sequence
