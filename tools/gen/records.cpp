// The built-in table: the order in which the families' members follow one another, and
// the census every record is held to. Each family declares its own members (names,
// descriptions, periods, dimensions) in its file under tools/families.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "gen/internal.hpp"

namespace kgen {
namespace {

// Each run takes the next members of its family, in the order the family declares them.
// The first records interleave the older families; every family after them follows whole,
// one line each.
constexpr Run kOrder[] = {
    {"lfo", 8}, {"rhythm", 4}, {"rudiment", 4}, {"ease", 4}, {"akwf", 4}, {"groove", 4},
    {"lfo", 8}, {"path", 8}, {"rhythm", 8},
    {"wave", 16},
    {"env", 16},
    {"seq", 16},
    {"noise", 16},
    {"orbit", 16},
    {"weave", 16},
    {"polar", 16},
    {"spiro", 16},
    {"space", 16},
    {"mech", 16},
    {"euclid", 16},
    {"poly", 16},
    {"meter", 16},
    {"swing", 16},
    {"stick", 16},
    {"gesture", 16},
    {"ribbon", 16},
    {"contour", 16},
    {"silhouette", 16},
    {"spline", 16},
    {"tour", 16},
    {"scan", 16},
    {"reach", 16},
    {"surface", 16},
    {"braid", 16},
    {"arm", 16},
    {"dwell", 16},
    {"packet", 16},
    {"canon", 16},
    {"echo", 16},
    {"ladder", 16},
    {"necklace", 16},
    {"accent_walk", 16},
    {"triplet", 16},
    {"dialogue", 16},
    {"burst", 16},
    {"beat", 1088},
};

// ---- the census ----------------------------------------------------------------------

const std::string kEmDash = "\xE2\x80\x94";
const std::string kEnDash = "\xE2\x80\x93";

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

class Census {
public:
    explicit Census(std::vector<Violation>& broken) : broken_(broken) {}

    void require(bool ok, const std::string& message) {
        if (!ok) {
            broken_.push_back(Violation{"census", message});
        }
    }

    // Every record on its own, and no name twice.
    void check(std::span<const Slot> table) {
        std::set<std::string_view> names;
        for (const Slot& slot : table) {
            const Record& r = *slot.record;
            require(names.insert(r.name).second, r.name + ": declared twice");
            record(r);
        }
    }

private:
    void record(const Record& r) {
        require(r.name.size() >= 8 && r.name.size() <= 32, r.name + ": name length");
        require(r.name[0] >= 'a' && r.name[0] <= 'z', r.name + ": first byte");
        for (const char c : r.name) {
            require((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_',
                    r.name + ": name byte");
        }
        require(r.description.size() >= 43 && r.description.size() <= 235,
                r.name + ": description length " + std::to_string(r.description.size()));
        require(r.description.find('\n') == std::string::npos, r.name + ": description line");
        std::size_t non_ascii = 0;
        for (const char c : r.description) {
            non_ascii += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
        }
        require(non_ascii == 3 * (count_of(r.description, kEmDash) +
                                  count_of(r.description, kEnDash)),
                r.name + ": unexpected non-ASCII text");
        require(r.period % 32 == 0 && r.period >= 160 && r.period <= 1024,
                r.name + ": period " + std::to_string(r.period));
        require(r.dimensions >= 1 && r.dimensions <= 3, r.name + ": dimensions");
    }

    std::vector<Violation>& broken_;
};

std::string positions(std::size_t from, std::size_t count) {
    return count == 1 ? "position " + std::to_string(from)
                      : "positions " + std::to_string(from) + " to " +
                            std::to_string(from + count - 1);
}

}  // namespace

std::vector<Slot> lay_out(std::span<const Run> order, const std::vector<Family>& families,
                          std::vector<Violation>& broken) {
    std::map<std::string_view, const Family*> by_key;
    for (const Family& f : families) {
        by_key.emplace(f.key, &f);
    }
    std::map<std::string_view, std::size_t> taken;
    std::vector<Slot> table;
    std::size_t pos = 0;
    for (const Run& run : order) {
        const auto it = by_key.find(run.family);
        const std::string where = "family order: " + positions(pos, run.count) +
                                  (run.count == 1 ? " holds " : " hold ") + run.family +
                                  " members";
        pos += run.count;
        if (it == by_key.end()) {
            broken.push_back(Violation{"order", where + ", but no family file declares " +
                                                    run.family});
            continue;
        }
        const Family& family = *it->second;
        std::size_t& next = taken[run.family];
        const std::size_t left = family.members.size() - next;
        if (left < run.count) {
            broken.push_back(Violation{
                "order", where + ", but " + family.key + " declares " +
                             std::to_string(family.members.size()) + " and has " +
                             std::to_string(left) + " left for them"});
        }
        for (std::size_t i = 0; i < run.count && next < family.members.size(); ++i, ++next) {
            const Member& m = family.members[next];
            table.push_back(Slot{&m.record, &m.maker, &family.rules});
        }
    }
    for (const Family& family : families) {
        const std::size_t next = taken[family.key];
        if (next < family.members.size()) {
            const std::size_t more = family.members.size() - next - 1;
            broken.push_back(Violation{
                "order", family.members[next].record.name +
                             (more == 0 ? "" : " and " + std::to_string(more) + " more") +
                             ": declared by " + family.key +
                             ", but no run of the family order takes " +
                             (more == 0 ? "it" : "them")});
        }
    }
    return table;
}

std::vector<Slot> built_in_table(const std::vector<Family>& families,
                                 std::vector<Violation>& broken) {
    const std::size_t before = broken.size();
    std::vector<Slot> table = lay_out(kOrder, families, broken);
    if (broken.size() == before) {
        Census(broken).check(table);
    }
    return table;
}

// ---- self-test -------------------------------------------------------------------

int run_table_self_test() {
    const auto family = [](const char* key, int members) {
        Family f{key, Rules{}, {}};
        for (int i = 1; i <= members; ++i) {
            f.members.push_back(Member{Record{std::string(key) + "_" + std::to_string(i), "",
                                              256, 1, key},
                                       Maker()});
        }
        return f;
    };
    const std::vector<Family> two = {family("a", 3), family("b", 1)};
    int failures = 0;
    const auto expect = [&](const char* what, std::span<const Run> order,
                            const std::string& names, const std::string& fault) {
        std::vector<Violation> broken;
        std::string got;
        for (const Slot& s : lay_out(order, two, broken)) {
            got += (got.empty() ? "" : " ") + s.record->name;
        }
        const bool ok = fault.empty() ? broken.empty() && got == names
                                      : broken.size() == 1 && broken[0].message == fault;
        if (!ok) {
            ++failures;
            std::fprintf(stderr, "self-test: %s: laid out \"%s\"", what, got.c_str());
            for (const Violation& v : broken) {
                std::fprintf(stderr, " [%s] %s;", v.rule.c_str(), v.message.c_str());
            }
            std::fprintf(stderr, "\n");
        }
    };
    constexpr Run interleaved[] = {{"a", 2}, {"b", 1}, {"a", 1}};
    expect("interleaved runs", interleaved, "a_1 a_2 b_1 a_3", "");
    constexpr Run short_a[] = {{"a", 2}, {"b", 1}};
    expect("a member no run takes", short_a, "",
           "a_3: declared by a, but no run of the family order takes it");
    constexpr Run long_b[] = {{"a", 3}, {"b", 2}};
    expect("a run longer than its family", long_b, "",
           "family order: positions 3 to 4 hold b members, but b declares 1 and has 1 left "
           "for them");
    constexpr Run missing[] = {{"a", 3}, {"b", 1}, {"c", 1}};
    expect("a family without a file", missing, "",
           "family order: position 4 holds c members, but no family file declares c");
    constexpr Run no_b[] = {{"a", 3}};
    expect("a family no run takes", no_b, "",
           "b_1: declared by b, but no run of the family order takes it");
    {
        // A record of every rule the census keeps, then the same name declared twice and a
        // period off the grid.
        const Record fine{"fixture_record",
                          "A record of no family that keeps every rule of the census.", 256, 1,
                          "fixture"};
        Record off_grid = fine;
        off_grid.name = "fixture_off_grid";
        off_grid.period = 250;
        const std::vector<Slot> table = {{&fine, nullptr, nullptr},
                                         {&off_grid, nullptr, nullptr},
                                         {&fine, nullptr, nullptr}};
        std::vector<Violation> broken;
        Census(broken).check(std::span(table).first(1));
        const bool fine_passes = broken.empty();
        Census(broken).check(table);
        if (!fine_passes || broken.size() != 2 ||
            broken[0].message != "fixture_off_grid: period 250" ||
            broken[1].message != "fixture_record: declared twice") {
            ++failures;
            std::fprintf(stderr, "self-test: the census let a broken table pass\n");
        }
    }
    return failures;
}

}  // namespace kgen
