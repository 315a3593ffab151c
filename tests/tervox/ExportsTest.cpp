// The shared object shows exactly the exports of the list, and the module definition carries their
// ordinals.

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

std::map<int, std::string> exportList() {
    std::ifstream in(TERVOX_EXPORTS_FILE);
    std::map<int, std::string> list;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ss(line);
        int ordinal = 0;
        std::string name;
        ss >> ordinal >> name;
        list[ordinal] = name;
    }
    return list;
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    ::pclose(p);
    return out;
}

TEST(Exports, TheListHasThirtySevenOrdinalsInOrder) {
    auto list = exportList();
    ASSERT_EQ(list.size(), 37u);
    EXPECT_EQ(list.begin()->first, 1);
    EXPECT_EQ(list.rbegin()->first, 37);
    EXPECT_EQ(list[1], "VoiceOnOff");
    EXPECT_EQ(list[15], "GetRecord");
    EXPECT_EQ(list[32], "Call");
    EXPECT_EQ(list[37], "OpenPort");
}

TEST(Exports, DynamicSymbolTableHoldsExactlyTheList) {
    std::set<std::string> expected;
    for (const auto& [ord, name] : exportList())
        expected.insert(name);
    std::istringstream nm(run("nm -D --defined-only '" TERVOX_LIBRARY "'"));
    std::set<std::string> defined;
    std::string line;
    while (std::getline(nm, line)) {
        std::istringstream ss(line);
        std::string addr, type, name;
        ss >> addr >> type >> name;
        if (!name.empty()) {
            defined.insert(name);
            if (expected.count(name)) {
                EXPECT_EQ(type, "T") << name;
            }
        }
    }
    EXPECT_EQ(defined, expected);
}

TEST(Exports, ModuleDefinitionCarriesTheOrdinals) {
    std::ifstream in(TERVOX_DEF_FILE);
    ASSERT_TRUE(in) << TERVOX_DEF_FILE;
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "LIBRARY tervox");
    EXPECT_EQ(second, "EXPORTS");
    std::map<int, std::string> def;
    std::string name, at;
    while (in >> name >> at)
        def[std::stoi(at.substr(1))] = name;
    EXPECT_EQ(def, exportList());
}

} // namespace
