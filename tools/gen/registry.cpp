// Family registration: each family file hands the generator its key, its rule class and
// one function that declares its members; the functions run in a fixed order, once.
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "gen/internal.hpp"

namespace kgen {
namespace {

struct Registration {
    std::string family;
    Rules rules;
    void (*fn)();
};

// Function-local statics: registrars run during static initialisation of other files.
std::vector<Registration>& registrations() {
    static std::vector<Registration> list;
    return list;
}

std::vector<Family>& families() {
    static std::vector<Family> list;
    return list;
}

// The family whose registration is running, or nullptr.
Family*& registering() {
    static Family* family = nullptr;
    return family;
}

std::string& data_dir_storage() {
    static std::string dir = "tools/data";
    return dir;
}

}  // namespace

FamilyRegistrar::FamilyRegistrar(const char* family, const Rules& rules, void (*fn)()) {
    registrations().push_back(Registration{family, rules, fn});
}

void define(std::string name, int period, int dimensions, std::string description,
            Maker maker) {
    Family* family = registering();
    if (family == nullptr) {
        throw std::logic_error("define(\"" + name + "\") called outside a family registration");
    }
    if (!name.starts_with(family->key + "_")) {
        throw std::logic_error(name + ": the name does not begin with " + family->key + "_");
    }
    if (!maker) {
        throw std::logic_error(name + ": declared without a maker");
    }
    family->members.push_back(Member{
        Record{std::move(name), std::move(description), period, dimensions, family->key},
        std::move(maker)});
}

const std::vector<Family>& declare_families(const std::string& without) {
    if (!families().empty()) {
        throw std::logic_error("the families are declared once");
    }
    std::vector<Registration> list = registrations();
    if (!without.empty() &&
        std::erase_if(list, [&](const Registration& r) { return r.family == without; }) == 0) {
        throw std::logic_error("no family " + without + " to leave out");
    }
    // Static initialisation order across files is unspecified; sort for a fixed order.
    std::stable_sort(list.begin(), list.end(), [](const Registration& a, const Registration& b) {
        return a.family < b.family;
    });
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (list[i].family == list[i - 1].family) {
            throw std::logic_error("family " + list[i].family + " is registered twice");
        }
    }
    for (const Registration& r : list) {
        families().push_back(Family{r.family, r.rules, {}});
        registering() = &families().back();
        try {
            r.fn();
        } catch (const std::exception& e) {
            registering() = nullptr;
            throw std::logic_error("family " + r.family + ": " + e.what());
        }
        registering() = nullptr;
    }
    return families();
}

const std::string& data_dir() { return data_dir_storage(); }
void set_data_dir(std::string dir) { data_dir_storage() = std::move(dir); }

}  // namespace kgen
