// The name index the table source carries, and its round trip: before anything is written,
// every name is looked up through the emitted keys with the module's own key of a query.
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>

#include "catalogue/builtin_table.hpp"
#include "catalogue/name_key.hpp"
#include "gen/internal.hpp"

namespace kgen {
namespace {

// The key as the table source spells it: the name's bytes, big-endian, eight to a word.
std::array<std::uint64_t, 4> key_words(const std::string& name) {
    std::array<std::uint64_t, 4> words{};
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (std::size_t k = 0; k < 8; ++k) {
            const std::size_t at = w * 8 + k;
            const auto byte = at < name.size() ? static_cast<unsigned char>(name[at]) : 0u;
            words[w] = (words[w] << 8) | byte;
        }
    }
    return words;
}

kinetrope::NameKey as_key(const std::array<std::uint64_t, 4>& words) {
    return kinetrope::NameKey{{words[0], words[1], words[2], words[3]}};
}

}  // namespace

NameIndex name_index(const std::vector<MadeBlock>& made) {
    NameIndex index;
    index.order.resize(made.size());
    std::iota(index.order.begin(), index.order.end(), std::size_t{0});
    // std::string compares as unsigned bytes (char_traits<char>::lt), shorter prefix first.
    std::sort(index.order.begin(), index.order.end(), [&](std::size_t a, std::size_t b) {
        return made[a].record->name < made[b].record->name;
    });
    for (const std::size_t i : index.order) {
        index.keys.push_back(key_words(made[i].record->name));
    }
    return index;
}

std::vector<Violation> check_name_index(const std::vector<MadeBlock>& made,
                                        const NameIndex& index) {
    namespace name_key = kinetrope::name_key;
    std::vector<Violation> broken;
    std::vector<kinetrope::NameKey> keys;
    for (const auto& words : index.keys) {
        keys.push_back(as_key(words));
    }
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (!name_key::less(keys[i - 1], keys[i])) {
            broken.push_back(Violation{"index", "name index: the key at " + std::to_string(i) +
                                                    " does not follow the one before it"});
        }
    }
    for (std::size_t r = 0; r < made.size(); ++r) {
        const std::string& name = made[r].record->name;
        if (name.size() < kinetrope::BUILTIN_NAME_MIN ||
            name.size() > kinetrope::BUILTIN_NAME_MAX) {
            // The lookup skips queries outside these lengths, and keys hold at most 32 bytes.
            broken.push_back(
                Violation{"index", name + ": a built-in name must have 8 to 32 bytes"});
            continue;
        }
        const kinetrope::NameKey query = name_key::of_short_name(name);
        const auto at = std::lower_bound(keys.begin(), keys.end(), query, name_key::less);
        const auto place = static_cast<std::size_t>(at - keys.begin());
        if (at == keys.end() || !name_key::same(*at, query) || index.order.size() <= place ||
            index.order[place] != r) {
            broken.push_back(Violation{"index", name + ": not found through the name index"});
        }
    }
    return broken;
}

// ---- self-test -------------------------------------------------------------------

int run_index_self_test() {
    const std::vector<Record> records = {
        {"fixture_bravo", "", 256, 1, "fixture"},
        {"fixture_alpha_with_a_long_name", "", 256, 1, "fixture"},
        {"fixture_alpha", "", 256, 1, "fixture"},
    };
    std::vector<MadeBlock> made;
    for (const Record& r : records) {
        made.push_back(MadeBlock{&r, {}});
    }
    int failures = 0;
    const auto expect = [&](const char* what, const NameIndex& index,
                            const std::vector<std::string>& messages) {
        std::vector<std::string> got;
        for (const Violation& v : check_name_index(made, index)) {
            got.push_back(v.message);
        }
        if (got != messages) {
            ++failures;
            std::fprintf(stderr, "self-test: %s:", what);
            for (const std::string& m : got) {
                std::fprintf(stderr, " %s;", m.c_str());
            }
            std::fprintf(stderr, "%s\n", got.empty() ? " no complaint" : "");
        }
    };
    const NameIndex sound = name_index(made);
    expect("a sound index", sound, {});
    {
        NameIndex swapped = sound;
        std::swap(swapped.order[0], swapped.order[1]);
        expect("two places swapped", swapped,
               {"fixture_alpha_with_a_long_name: not found through the name index",
                "fixture_alpha: not found through the name index"});
    }
    {
        // Which names a search of unsorted keys still finds is the search's own business.
        NameIndex unsorted = sound;
        std::swap(unsorted.keys[1], unsorted.keys[2]);
        std::swap(unsorted.order[1], unsorted.order[2]);
        const std::vector<Violation> v = check_name_index(made, unsorted);
        if (v.empty() ||
            v[0].message != "name index: the key at 2 does not follow the one before it") {
            ++failures;
            std::fprintf(stderr, "self-test: keys out of order were not refused\n");
        }
    }
    {
        NameIndex worn = sound;
        worn.keys[2][1] ^= 1u;  // one bit of the last name's second word
        expect("a key that lost a bit", worn,
               {"fixture_bravo: not found through the name index"});
    }
    return failures;
}

}  // namespace kgen
