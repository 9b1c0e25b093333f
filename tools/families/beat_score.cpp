#include "families/beat_score.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace kgen::beat {

namespace {

std::string steps_of(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != '|' && *c != ' ') {
            out.push_back(*c);
        }
    }
    return out;
}

double velocity(char c, const std::string& where) {
    if (c == 'X') {
        return 1.0;
    }
    if (c >= '1' && c <= '9') {
        return (c - '0') / 10.0;
    }
    throw std::runtime_error(where + ": bad step character '" + std::string(1, c) + "'");
}

void add_lane(Score& s, Lane lane, const char* text, double swing, const std::string& where) {
    const std::string steps = steps_of(text);
    if (steps.empty()) {
        return;
    }
    const std::size_t total = static_cast<std::size_t>(s.period / kPipsPerStep);
    if (total % steps.size() != 0) {
        throw std::runtime_error(where + ": a lane of " + std::to_string(steps.size()) +
                                 " steps does not divide " + std::to_string(total));
    }
    for (std::size_t k = 0; k < total; ++k) {
        const char c = steps[k % steps.size()];
        if (c == '.') {
            continue;
        }
        const double at = static_cast<double>(k) * kPipsPerStep + (k % 2 == 1 ? swing : 0.0);
        s.lanes[lane].push_back(Event{at, velocity(c, where)});
    }
}

}  // namespace

bool Score::has_any(LaneSet which) const {
    for (std::size_t l = 0; l < kLaneCount; ++l) {
        if (((which >> l) & 1u) != 0 && !lanes[l].empty()) {
            return true;
        }
    }
    return false;
}

double Score::loudest(LaneSet which) const {
    double m = 0.0;
    for (std::size_t l = 0; l < kLaneCount; ++l) {
        if (((which >> l) & 1u) == 0) {
            continue;
        }
        for (const Event& e : lanes[l]) {
            m = std::max(m, e.vel);
        }
    }
    return m;
}

const GrooveRow* find_groove(std::string_view key) {
    for (const auto* set : {&grooves().earlier, &grooves().later}) {
        for (const GrooveRow& g : *set) {
            if (key == g.key) {
                return &g;
            }
        }
    }
    return nullptr;
}

int period(const GrooveRow& row) { return row.bars * kBarPips; }

Score make_score(const GrooveRow& row) {
    if (row.base != nullptr) {
        const GrooveRow* base = find_groove(row.base);
        if (base == nullptr || base->base != nullptr || base->bars != row.bars) {
            throw std::runtime_error(std::string(row.key) + ": unusable base groove");
        }
        Score s = make_score(*base);
        auto& sn = s.lanes[snare];
        sn.erase(std::remove_if(sn.begin(), sn.end(),
                                [&](const Event& e) { return e.vel < row.drop_snares_below; }),
                 sn.end());
        return s;
    }
    const std::string where = std::string("groove ") + row.key;
    Score s;
    s.period = period(row);
    for (std::size_t l = 0; l < kLaneCount; ++l) {
        add_lane(s, static_cast<Lane>(l), row.lanes[l], row.swing, where);
    }
    for (const Roll& r : row.rolls) {
        for (int i = 0; i < r.count; ++i) {
            const double f = r.count > 1 ? static_cast<double>(i) / (r.count - 1) : 0.0;
            const double at = r.start + r.spacing * i;
            if (!(at >= 0.0 && at < s.period)) {
                throw std::runtime_error(where + ": a roll runs past the period");
            }
            s.lanes[r.lane].push_back(Event{at, r.vel_first + (r.vel_last - r.vel_first) * f});
        }
    }
    for (auto& lane : s.lanes) {
        std::stable_sort(lane.begin(), lane.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });
        for (std::size_t i = 1; i < lane.size(); ++i) {
            if (lane[i].at - lane[i - 1].at < 1e-9) {
                throw std::runtime_error(where + ": two hits on one lane at one onset");
            }
        }
    }
    return s;
}

}  // namespace kgen::beat
