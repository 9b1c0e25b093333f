// The generator's own plumbing, shared by its core files but not by the families.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gen/kgen.hpp"

namespace kgen {

void set_data_dir(std::string dir);

// One broken rule: of a block, or of the table as a whole.
struct Violation {
    std::string rule;     // short key, e.g. "step", "decimals" or "order"
    std::string message;  // full text, beginning with the record's or family's name
};

// ---- the declared families ---------------------------------------------------------

struct Member {
    Record record;
    Maker maker;
};

struct Family {
    std::string key;
    Rules rules;
    std::vector<Member> members;  // in the order of their declarations
};

// Runs every family registration once, but that of the family named by without (which
// must exist), and returns the families sorted by key. define() refuses an empty maker
// and a name outside the family's prefix.
const std::vector<Family>& declare_families(const std::string& without = "");

// ---- the table ---------------------------------------------------------------------

// A stretch of the table: the next count members of one family, in declaration order.
struct Run {
    const char* family;
    std::size_t count;
};

// One record in table order, with the family that declared it.
struct Slot {
    const Record* record;
    const Maker* maker;
    const Rules* rules;
};

// Lays the families out by the runs. Broken rules ("order"): a run of a family that
// declares too few members (or none: no family file declares it), and members that no
// run takes.
std::vector<Slot> lay_out(std::span<const Run> order, const std::vector<Family>& families,
                          std::vector<Violation>& broken);
// The table of the built-in families, laid out by the family order and held to the
// census ("census"); every fault is added to broken.
std::vector<Slot> built_in_table(const std::vector<Family>& families,
                                 std::vector<Violation>& broken);
// Runs the layout and the census on deliberately broken families; returns the number of
// failures.
int run_table_self_test();

// ---- the data rules ----------------------------------------------------------------

// Every rule a single block must obey, under its family's rule class.
std::vector<Violation> check_block(const Record& record, const Rules& rules,
                                   const Block& block);

struct MadeBlock {
    const Record* record;
    Block block;
};
// Rules over the whole table: no two blocks equal.
std::vector<Violation> check_distinct(const std::vector<MadeBlock>& made);

// Runs the checker on deliberately broken blocks; returns the number of failures.
int run_self_test();

// ---- what is written ----------------------------------------------------------------

// The name index of the table: the records' places sorted by name (byte-wise), and the key
// of each name in that order, four big-endian words of its bytes, zero-padded.
struct NameIndex {
    std::vector<std::size_t> order;
    std::vector<std::array<std::uint64_t, 4>> keys;
};
NameIndex name_index(const std::vector<MadeBlock>& made);

// The round trip ("index"): every name looked up through the keys as the module looks it
// up, the keys strictly ascending. Each name not found where it stands is a broken rule.
std::vector<Violation> check_name_index(const std::vector<MadeBlock>& made,
                                        const NameIndex& index);

// Runs the round trip on deliberately broken indexes; returns the number of failures.
int run_index_self_test();

// The SHA-256, in hex, of every default pattern's samples in catalogue order: the
// rudiments, then the made blocks, each sample as three little-endian IEEE doubles.
std::string catalogue_fingerprint(const std::vector<MadeBlock>& made);

// Writes builtin_table.cpp and builtin_samples.cpp into dir.
void write_table_sources(const std::string& dir, const std::vector<MadeBlock>& made,
                         const NameIndex& index);
// Writes one CSV per block and index.csv into dir.
void write_dump(const std::string& dir, const std::vector<MadeBlock>& made);

}  // namespace kgen
