// The fingerprint of the samples: what the catalogue tests pin, so that a change of any
// sample shows, and what the generator reports whenever it writes the table.
#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "gen/internal.hpp"
#include "gen/sha256.hpp"
#include "rudiments/rudiments.hpp"

namespace kgen {
namespace {

// Three little-endian doubles, on any host.
void append_sample(std::string& bytes, double x, double y, double z) {
    for (const double v : {x, y, z}) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int k = 0; k < 8; ++k) {
            bytes.push_back(static_cast<char>((bits >> (8 * k)) & 0xffu));
        }
    }
}

}  // namespace

std::string catalogue_fingerprint(const std::vector<MadeBlock>& made) {
    std::string bytes;
    // The rudiments open the catalogue; the module samples them from these very functions.
    for (const kinetrope::RudimentInfo& r : kinetrope::rudiments()) {
        for (int pip = 0; pip < r.period_pips; ++pip) {
            const kinetrope::Offset3 v = r.function(pip);
            append_sample(bytes, v.x, v.y, v.z);
        }
    }
    for (const MadeBlock& m : made) {
        for (const Sample& s : m.block) {
            append_sample(bytes, s.x, s.y, s.z);
        }
    }
    return hex(sha256(bytes));
}

}  // namespace kgen
