// The generator's own plumbing, shared by its core files but not by the families.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gen/kgen.hpp"

namespace kgen {

// Throws std::logic_error naming the first fault of the typed-in record list.
void check_record_list();
// Table position of a record; records().size() when the name is unknown.
std::size_t record_position(std::string_view name);
void set_data_dir(std::string dir);

// Runs every family registration once, but that of the family named by without;
// define() refuses unknown and repeated names.
void run_family_registrations(const std::string& without = "");
// The maker defined for a record, or nullptr.
const Maker* maker_for(std::string_view name);
std::size_t defined_count();
// Families whose registration ran, in the order they ran.
const std::vector<std::string>& registered_families();

// One broken rule of one block.
struct Violation {
    std::string rule;     // short key, e.g. "step" or "decimals"
    std::string message;  // full text, beginning with the pattern's name
};

// Every rule a single block must obey.
std::vector<Violation> check_block(const Record& record, const Block& block);

struct MadeBlock {
    const Record* record;
    Block block;
};
// Rules over the whole table: no two blocks equal.
std::vector<Violation> check_distinct(const std::vector<MadeBlock>& made);

// Runs the checker on deliberately broken blocks; returns the number of failures.
int run_self_test();

// Writes builtin_table.cpp and builtin_samples.cpp into dir.
void write_table_sources(const std::string& dir, const std::vector<MadeBlock>& made);
// Writes one CSV per block and index.csv into dir.
void write_dump(const std::string& dir, const std::vector<MadeBlock>& made);

}  // namespace kgen
