// The built-in table: the order in which the families' members follow one another, and
// the census the whole table is held to. Each family declares its own members (names,
// descriptions, periods, dimensions) in its file under tools/families.
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "gen/internal.hpp"

namespace kgen {
namespace {

// Each run takes the next members of its family, in the order the family declares them.
// The first records interleave the older families; the families of sixteen and the beat
// family follow whole.
constexpr Run kOrder[] = {
    {"lfo", 8},       {"rhythm", 4},      {"rudiment", 4},    {"ease", 4},
    {"akwf", 4},      {"groove", 4},      {"lfo", 8},         {"path", 8},
    {"rhythm", 8},    {"wave", 16},       {"env", 16},        {"seq", 16},
    {"noise", 16},    {"orbit", 16},      {"weave", 16},      {"polar", 16},
    {"spiro", 16},    {"space", 16},      {"mech", 16},       {"euclid", 16},
    {"poly", 16},     {"meter", 16},      {"swing", 16},      {"stick", 16},
    {"gesture", 16},  {"ribbon", 16},     {"contour", 16},    {"silhouette", 16},
    {"spline", 16},   {"tour", 16},       {"scan", 16},       {"reach", 16},
    {"surface", 16},  {"braid", 16},      {"arm", 16},        {"dwell", 16},
    {"packet", 16},   {"canon", 16},      {"echo", 16},       {"ladder", 16},
    {"necklace", 16}, {"accent_walk", 16}, {"triplet", 16},   {"dialogue", 16},
    {"burst", 16},    {"beat", 1088},
};

// ---- the census ---------------------------------------------------------------------

constexpr std::size_t kRecords = 1716;

constexpr std::size_t order_total(std::span<const Run> order) {
    std::size_t n = 0;
    for (const Run& r : order) {
        n += r.count;
    }
    return n;
}
static_assert(order_total(kOrder) == kRecords, "the family order must lay out every record");

const std::map<int, int> kPeriods = {
    {256, 41}, {512, 1304}, {1024, 307}, {768, 17}, {352, 6}, {416, 6},
    {448, 6},  {224, 5},    {288, 5},    {480, 5},  {320, 4}, {384, 4},
    {160, 3},  {544, 1},    {608, 1},    {640, 1}};
const std::map<int, int> kDimensions = {{1, 29}, {2, 321}, {3, 1366}};

const std::string kEmDash = "\xE2\x80\x94";
const std::string kEnDash = "\xE2\x80\x93";

// Records whose descriptions carry an em dash (the beat family's) and an en dash.
constexpr int kEmDashRecords = 1088;
constexpr int kEnDashRecords = 4;

// Names pinned at the borders of the runs.
constexpr std::pair<std::size_t, const char*> kEdges[] = {
    {0, "lfo_breathe"},           {27, "groove_b_grid"},
    {28, "lfo_twin_swell"},       {52, "wave_pinched"},
    {627, "burst_5_6_2"},         {628, "beat_four_floor_bounce"},
    {771, "beat_amapiano_glide"}, {772, "beat_four_floor_surge"},
    {1203, "beat_amapiano_ricochet"}, {1204, "beat_jersey_five_bounce"},
    {1715, "beat_dembow_push_ricochet"}};

// A few texts and periods composed by rule, pinned.
const std::pair<const char*, std::string> kDescriptions[] = {
    {"beat_house_classic_bounce",
     "House / kick-clap-offbeat hat " + kEmDash + " Kick-led bounce. "},
    {"beat_four_floor_surge", "Four to the floor / bare pulse " + kEmDash +
                                  " Forward surge. Kick thrust through depth with "
                                  "contrasting snare lift and hat detail."},
    {"beat_jersey_five_glide", "Jersey / five-kick foundation " + kEmDash +
                                   " Bass / phrase glide. Original Vessa 05 continuous "
                                   "phrase path with bass excursions."},
    {"beat_four_floor_glide", "Four to the floor / bare pulse " + kEmDash +
                                  " Bass-and-phrase glide. Equal quarter-note kicks only. "
                                  "This shared foundation is not itself a complete genre."},
    {"lfo_breathe",
     "A four-beat, single-axis sine. The quiet reference for judging busier shapes."},
    {"weave_3_8", "3 horizontal and 8 vertical cycles; a phase-offset, closed 16-beat traversal."},
    {"swing_shuffle_3_4",
     "Eight-beat shuffle score with offbeats at 3/4 of each beat; peaks follow the score."},
};
constexpr std::pair<const char*, int> kSamplePeriods[] = {
    {"euclid_2_5", 160},          {"meter_2_3_3_2_3", 416},
    {"dialogue_4_3_5_4", 512},    {"rhythm_group_223", 448},
    {"beat_techno_polymeter_spring", 768}, {"beat_amen_four_bar_box", 1024},
    {"dialogue_3_4_5", 384},      {"meter_3_3_3_4", 416},
    {"euclid_11_24", 768}};

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

    // Every record on its own, and the counts over the whole table.
    void check(const std::vector<Slot>& table) {
        require(table.size() == kRecords, "the table holds " + std::to_string(table.size()) +
                                              " records, not " + std::to_string(kRecords));
        std::map<std::string, const Record*> names;
        std::map<int, int> periods;
        std::map<int, int> dims;
        int em = 0;
        int en = 0;
        for (const Slot& slot : table) {
            const Record& r = *slot.record;
            require(names.emplace(r.name, &r).second, r.name + ": declared twice");
            record(r);
            em += count_of(r.description, kEmDash) != 0 ? 1 : 0;
            en += count_of(r.description, kEnDash) != 0 ? 1 : 0;
            ++periods[r.period];
            ++dims[r.dimensions];
        }
        require(em == kEmDashRecords && en == kEnDashRecords,
                "dash census " + std::to_string(em) + "/" + std::to_string(en));
        require(periods == kPeriods, "period census");
        require(dims == kDimensions, "dimension census");
        for (const auto& [pos, name] : kEdges) {
            require(pos < table.size() && table[pos].record->name == name,
                    "position " + std::to_string(pos) + " does not hold " + name);
        }
        for (const auto& [name, text] : kDescriptions) {
            const auto it = names.find(name);
            require(it != names.end() && it->second->description == text,
                    std::string(name) + ": description");
        }
        for (const auto& [name, period] : kSamplePeriods) {
            const auto it = names.find(name);
            require(it != names.end() && it->second->period == period,
                    std::string(name) + ": period");
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
        std::vector<Violation> broken;
        Census(broken).check(lay_out(interleaved, two, broken));
        if (broken.empty() || broken[0].message != "the table holds 4 records, not 1716") {
            ++failures;
            std::fprintf(stderr, "self-test: the census let a short table pass\n");
        }
    }
    return failures;
}

}  // namespace kgen
