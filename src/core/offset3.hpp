#pragma once

namespace kinetrope {

// A displacement on up to three positional axes; every motion source answers with one.
struct Offset3 {
    double x;
    double y;
    double z;
};

}  // namespace kinetrope
