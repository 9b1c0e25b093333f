#include "patterns/pattern_library.hpp"

#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "core/value_rules.hpp"

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

// A hash of every byte of a name: eight bytes at a time, the last word overlapping the one
// before it so that nothing past the name is read, then mixed so that the low bits, which
// pick the slot, depend on all of them.
std::uint64_t name_hash(std::string_view name) noexcept {
    constexpr std::uint64_t k = 0x9e3779b97f4a7c15ull;
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t size = name.size();
    const auto word = [p](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, p + at, sizeof w);
        return w;
    };
    std::uint64_t h = (size + 1) * k;
    if (size < 8) {
        std::uint64_t w = 0;
        for (std::size_t at = 0; at < size; ++at) {
            w |= std::uint64_t{p[at]} << (8 * at);
        }
        h = (h ^ w) * k;
    } else {
        for (std::size_t at = 0; at + 8 < size; at += 8) {
            h = (h ^ word(at)) * k;
            h ^= h >> 29;
        }
        h = (h ^ word(size - 8)) * k;
    }
    h ^= h >> 32;
    h *= k;
    return h ^ (h >> 29);
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

void PatternLibrary::index_names() {
    std::size_t size = 2;
    while (size < 2 * patterns_.size()) {
        size *= 2;
    }
    slots_.assign(size, NameSlot{0, 0});
    for (std::size_t i = 0; i < patterns_.size(); ++i) {
        const std::uint64_t hash = name_hash(patterns_[i].name());
        std::size_t at = hash & (size - 1);
        while (slots_[at].place != 0) {
            at = (at + 1) & (size - 1);
        }
        slots_[at] = NameSlot{hash, static_cast<std::uint32_t>(i + 1)};
    }
}

const SampledPattern* PatternLibrary::find(std::string_view name) const noexcept {
    if (patterns_.empty() || name.size() > MAX_IDENTIFIER_BYTES) {
        return nullptr;  // no user name is that long
    }
    // Linear probing from the name's own slot; at least half the slots are empty, so the run
    // of full slots it walks is short, and one always ends it.
    const std::uint64_t hash = name_hash(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const NameSlot slot = slots_[at];
        if (slot.place == 0) {
            return nullptr;
        }
        const SampledPattern& p = patterns_[slot.place - 1];
        if (slot.hash == hash && p.name() == name) {
            return &p;
        }
    }
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
