// Family registration: each family file hands the generator one function that defines
// its makers; the functions run in a fixed order once the record list is known.
#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

#include "gen/internal.hpp"

namespace kgen {
namespace {

struct Registration {
    std::string family;
    void (*fn)();
};

// Function-local statics: registrars run during static initialisation of other files.
std::vector<Registration>& registrations() {
    static std::vector<Registration> list;
    return list;
}

std::map<std::string, Maker, std::less<>>& makers() {
    static std::map<std::string, Maker, std::less<>> map;
    return map;
}

std::vector<std::string>& ran() {
    static std::vector<std::string> list;
    return list;
}

bool& registering() {
    static bool flag = false;
    return flag;
}

}  // namespace

FamilyRegistrar::FamilyRegistrar(const char* family, void (*fn)()) {
    registrations().push_back(Registration{family, fn});
}

void define(std::string_view name, Maker maker) {
    if (!registering()) {
        throw std::logic_error("define(\"" + std::string(name) +
                               "\") called outside a family registration");
    }
    if (find_record(name) == nullptr) {
        throw std::logic_error("define: \"" + std::string(name) +
                               "\" is not a record of the built-in table");
    }
    if (!maker) {
        throw std::logic_error("define: \"" + std::string(name) + "\" has an empty maker");
    }
    if (!makers().emplace(std::string(name), std::move(maker)).second) {
        throw std::logic_error("define: \"" + std::string(name) + "\" is defined twice");
    }
}

void run_family_registrations(const std::string& without) {
    std::vector<Registration> list = registrations();
    if (!without.empty() &&
        std::erase_if(list, [&](const Registration& r) { return r.family == without; }) == 0) {
        throw std::logic_error("no family " + without + " to leave out");
    }
    // Static initialisation order across files is unspecified; sort for a fixed order.
    std::stable_sort(list.begin(), list.end(),
                     [](const Registration& a, const Registration& b) { return a.family < b.family; });
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (list[i].family == list[i - 1].family) {
            throw std::logic_error("family " + list[i].family + " is registered twice");
        }
    }
    registering() = true;
    for (const Registration& r : list) {
        try {
            r.fn();
        } catch (const std::exception& e) {
            registering() = false;
            throw std::logic_error("family " + r.family + ": " + e.what());
        }
        ran().push_back(r.family);
    }
    registering() = false;
}

const Maker* maker_for(std::string_view name) {
    const auto it = makers().find(name);
    return it == makers().end() ? nullptr : &it->second;
}

std::size_t defined_count() { return makers().size(); }

const std::vector<std::string>& registered_families() { return ran(); }

}  // namespace kgen
