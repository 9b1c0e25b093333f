#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "catalogue/builtin_table.hpp"
#include "catalogue/registry.hpp"
#include "core/offset3.hpp"
#include "patterns/sampled_pattern.hpp"

namespace kinetrope {

// The caller's patterns beside the default ones, sampled and listed by name; immutable once built.
class PatternLibrary {
public:
    static constexpr std::size_t MAX_PATTERNS = 1024;
    static constexpr std::size_t MAX_TOTAL_SAMPLES = std::size_t{1} << 20;

    // Validates the pack and copies the patterns it keeps; throws std::invalid_argument. The pack
    // stays with the caller: only the patterns that are kept get copied, each after the limits
    // that guard its allocation have passed. Every pointer must be non-null.
    static PatternLibrary copy_of(std::span<const SampledPattern* const> pack);

    PatternLibrary(const PatternLibrary&) = default;
    PatternLibrary(PatternLibrary&&) noexcept = default;
    PatternLibrary& operator=(const PatternLibrary&) = delete;
    PatternLibrary& operator=(PatternLibrary&&) = delete;
    ~PatternLibrary() = default;

    // What a name denotes here: one of the library's patterns, else a default pattern, else
    // nothing (the result tests false).
    class Found {
    public:
        Found(const SampledPattern* mine, PatternSampler sampler) noexcept
            : mine_(mine), sampler_(sampler) {}
        explicit operator bool() const noexcept { return mine_ != nullptr || sampler_ != nullptr; }
        Offset3 sample(int pip) const { return mine_ != nullptr ? mine_->sample(pip) : sampler_(pip); }

    private:
        const SampledPattern* mine_;
        PatternSampler sampler_;
    };
    Found lookup(std::string_view name) const noexcept;

    // The default entries, then one per user pattern in the given order; the user entries view
    // this library's strings.
    std::vector<CatalogueEntry> catalogue() const;

private:
    // A slot of the user names' hash table: the name's hash and its pattern's place in
    // patterns_ plus one, 0 in an empty slot.
    struct NameSlot {
        std::uint64_t hash;
        std::uint32_t place;
    };

    PatternLibrary() = default;
    void index_names();
    const SampledPattern* find(std::string_view name) const noexcept;

    std::vector<SampledPattern> patterns_;
    std::vector<NameSlot> slots_;  // a power of two in size, at most half of them full
};

}  // namespace kinetrope
