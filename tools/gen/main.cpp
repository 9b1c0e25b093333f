// kinetrope_gen: lays out the built-in table from the families' declarations, makes every
// block, proves each against the data rules and writes the table sources (--out) or a CSV
// dump (--dump). A table that breaks the family order or the census is made not at all;
// table sources are written only once every name has been found through their index, and
// the report ends with the fingerprint of the samples that the catalogue tests pin.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "gen/internal.hpp"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kinetrope_gen --self-test\n"
                 "       kinetrope_gen --data DIR --out DIR\n"
                 "       kinetrope_gen --data DIR --dump DIR [--only PREFIX ...]\n"
                 "       (--without FAMILY leaves one family's file out, to prove the refusal)\n");
    return 2;
}

struct Options {
    bool self_test = false;
    std::string data;
    std::string out;
    std::string dump;
    std::vector<std::string> only;  // any of these prefixes; every record when empty
    std::string without;
    bool has_data = false;
};

int report(const std::vector<kgen::Violation>& broken, bool written) {
    for (const kgen::Violation& v : broken) {
        std::fprintf(stderr, "kinetrope_gen: %s\n", v.message.c_str());
    }
    std::fprintf(stderr, "kinetrope_gen: %zu broken rule%s%s\n", broken.size(),
                 broken.size() == 1 ? "" : "s", written ? "" : "; nothing written");
    return 1;
}

int generate(const Options& opt) {
    using namespace kgen;
    if (opt.has_data) {
        set_data_dir(opt.data);
    }
    std::vector<Violation> broken;
    const std::vector<Slot> table = built_in_table(declare_families(opt.without), broken);
    if (!broken.empty()) {
        return report(broken, false);
    }
    std::vector<MadeBlock> made;
    for (const Slot& slot : table) {
        const Record& r = *slot.record;
        if (!opt.only.empty() && std::none_of(opt.only.begin(), opt.only.end(),
                                              [&](const std::string& prefix) {
                                                  return r.name.starts_with(prefix);
                                              })) {
            continue;
        }
        Block block;
        try {
            block = (*slot.maker)(r);
        } catch (const std::exception& e) {
            broken.push_back(Violation{"maker", r.name + ": the maker failed: " + e.what()});
            continue;
        }
        round_block(block);
        for (Violation& v : check_block(r, *slot.rules, block)) {
            broken.push_back(std::move(v));
        }
        made.push_back(MadeBlock{&r, std::move(block)});
    }
    for (Violation& v : check_distinct(made)) {
        broken.push_back(std::move(v));
    }
    const bool dump = !opt.dump.empty();
    if (dump) {
        write_dump(opt.dump, made);
        std::printf("dumped %zu of %zu records into %s\n", made.size(), table.size(),
                    opt.dump.c_str());
    } else if (broken.empty()) {
        const NameIndex index = name_index(made);
        broken = check_name_index(made, index);
        if (!broken.empty()) {
            return report(broken, false);
        }
        write_table_sources(opt.out, made, index);
        std::printf("emitted %zu records\ncatalogue fingerprint %s\n", made.size(),
                    catalogue_fingerprint(made).c_str());
    }
    return broken.empty() ? 0 : report(broken, dump);
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--self-test") {
            opt.self_test = true;
        } else if (arg == "--data") {
            if (!value(opt.data)) {
                return usage();
            }
            opt.has_data = true;
        } else if (arg == "--out") {
            if (!value(opt.out)) {
                return usage();
            }
        } else if (arg == "--dump") {
            if (!value(opt.dump)) {
                return usage();
            }
        } else if (arg == "--only") {
            if (!value(opt.only.emplace_back())) {
                return usage();
            }
        } else if (arg == "--without") {
            if (!value(opt.without)) {
                return usage();
            }
        } else {
            return usage();
        }
    }
    try {
        if (opt.self_test) {
            if (!opt.out.empty() || !opt.dump.empty()) {
                return usage();
            }
            const int failures = kgen::run_self_test() + kgen::run_table_self_test() +
                                 kgen::run_index_self_test();
            if (failures == 0) {
                std::printf("self-test passed\n");
            }
            return failures == 0 ? 0 : 1;
        }
        if (opt.out.empty() == opt.dump.empty() || (!opt.only.empty() && opt.dump.empty())) {
            return usage();
        }
        return generate(opt);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kinetrope_gen: %s\n", e.what());
        return 1;
    }
}
