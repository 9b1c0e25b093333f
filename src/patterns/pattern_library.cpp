#include "patterns/pattern_library.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "catalogue/name_key.hpp"

namespace kinetrope {

namespace {

bool replicates(const SampledPattern& p, const CatalogueEntry& entry, PatternSampler sampler) {
    if (p.description() != entry.description || p.period_pips() != entry.period_pips) {
        return false;
    }
    for (int i = 0; i < p.period_pips(); ++i) {
        const Offset3 mine = p.sample(i);
        const Offset3 theirs = sampler(i);
        if (!(mine.x == theirs.x && mine.y == theirs.y && mine.z == theirs.z)) {
            return false;
        }
    }
    return true;
}

}  // namespace

PatternLibrary PatternLibrary::copy_of(std::span<const SampledPattern* const> pack) {
    if (pack.size() > MAX_PATTERNS) {
        throw std::invalid_argument("Too many patterns");
    }
    // Everything is checked before anything is taken: the name set views the pack's own strings,
    // and a refused pack costs no copy of any samples.
    std::unordered_set<std::string_view> seen;
    seen.reserve(pack.size());
    std::vector<std::uint32_t> kept;
    kept.reserve(pack.size());
    std::size_t total = 0;
    const std::vector<CatalogueEntry>& defaults = default_catalogue();

    for (std::size_t i = 0; i < pack.size(); ++i) {
        const SampledPattern& p = *pack[i];
        if (p.empty()) {
            throw std::invalid_argument("Empty/moved-from pattern");
        }
        if (!seen.insert(p.name()).second) {
            throw std::invalid_argument("Duplicate pattern name: " + p.name());
        }
        total += static_cast<std::size_t>(p.period_pips());
        if (total > MAX_TOTAL_SAMPLES) {
            throw std::invalid_argument("Pattern pack is too large");
        }
        const DefaultPattern found = find_default(p.name());
        if (!found) {
            kept.push_back(static_cast<std::uint32_t>(i));
        } else if (!replicates(p, defaults[found.position()], found.sampler)) {
            // A default's name is only allowed on an exact replica, which the default then serves.
            throw std::invalid_argument("Cannot override default pattern: " + p.name());
        }
    }

    PatternLibrary library;
    library.patterns_.reserve(kept.size());
    for (const std::uint32_t i : kept) {
        library.patterns_.push_back(*pack[i]);
    }
    library.index_names();
    return library;
}

PatternLibrary::PatternLibrary(const PatternLibrary& other) : patterns_(other.patterns_) {
    index_names();
}

void PatternLibrary::index_names() {
    index_.clear();
    index_.reserve(patterns_.size());
    for (std::size_t i = 0; i < patterns_.size(); ++i) {
        const std::string_view name = patterns_[i].name();
        index_.push_back(NameSlot{name_key::of(name), name, static_cast<std::uint32_t>(i)});
    }
    std::sort(index_.begin(), index_.end(),
              [](const NameSlot& a, const NameSlot& b) { return a.name < b.name; });
}

const SampledPattern* PatternLibrary::find(std::string_view name) const noexcept {
    if (index_.empty()) {
        return nullptr;
    }
    // A lower bound over the sorted index (user names are unique, so it finds exactly what a
    // scan in stored order would): keys settle most steps, the names only ties of keys.
    const NameKey query = name_key::of(name);
    const auto before = [&](const NameSlot& slot) {
        for (std::size_t w = 0; w < 4; ++w) {
            if (slot.key.word[w] != query.word[w]) {
                return slot.key.word[w] < query.word[w];
            }
        }
        return slot.name < name;
    };
    const NameSlot* first = index_.data();
    for (std::size_t count = index_.size(); count > 1;) {
        const std::size_t half = count / 2;
        if (before(first[half])) {
            first += half;
        }
        count -= half;
    }
    if (before(*first)) {
        ++first;
    }
    if (first != index_.data() + index_.size() && first->name == name) {
        return &patterns_[first->position];
    }
    return nullptr;
}

PatternLibrary::Found PatternLibrary::lookup(std::string_view name) const noexcept {
    if (const SampledPattern* mine = find(name)) {
        return Found{mine, nullptr};
    }
    return Found{nullptr, find_default(name).sampler};
}

std::vector<CatalogueEntry> PatternLibrary::catalogue() const {
    const std::vector<CatalogueEntry>& defaults = default_catalogue();
    std::vector<CatalogueEntry> entries;
    entries.reserve(defaults.size() + patterns_.size());
    entries.insert(entries.end(), defaults.begin(), defaults.end());
    for (const SampledPattern& p : patterns_) {
        entries.push_back(CatalogueEntry{p.name(), p.description(),
                                         static_cast<std::uint16_t>(p.period_pips()), p.dimensions()});
    }
    return entries;
}

}  // namespace kinetrope
