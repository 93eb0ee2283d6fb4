// Which names are removed, which are new, and the keys an update writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/data_files_scan.h"
#include "core/reconcile.h"

namespace {

using Names = std::vector<std::string>;
using Slots = std::vector<ArchiveSlot>;
constexpr std::nullopt_t empty = std::nullopt;

struct ReconcileCase {
    const char* name;
    Names registered;  // keys 0, 1, ... as read
    Names onDisk;      // as the search reports them, morrowind.bsa among them
    Names removed;
    Names added;
    Slots pending;
};

const ReconcileCase Cases[] = {
    {"renumbers_over_a_removed_entry", {"A.bsa", "old.bsa", "B.bsa"},
     {"morrowind.bsa", "a.BSA", "b.bsa", "new.bsa"}, {"old.bsa"}, {"new.bsa"},
     {"A.bsa", "B.bsa", "new.bsa"}},
    {"only_removals_leave_empty_tail_slots", {"x.bsa", "y.bsa"}, {"x.bsa"}, {"y.bsa"}, {},
     {"x.bsa", empty}},
    {"new_archive_into_an_empty_list", {}, {"n.bsa"}, {}, {"n.bsa"}, {"n.bsa"}},
    {"nothing_to_change", {"x.bsa"}, {"x.bsa"}, {}, {}, {}},
    {"only_morrowind_bsa_on_disk", {}, {"morrowind.bsa"}, {}, {}, {}},
    {"everything_gone", {"y.bsa"}, {}, {"y.bsa"}, {}, {empty}},
    {"case_folding_keeps_the_registered_form", {"A.BSA", "gone.bsa"}, {"a.bsa"}, {"gone.bsa"},
     {}, {"A.BSA", empty}},
    {"name_registered_twice_stays_twice", {"d.bsa", "x.bsa", "D.bsa"}, {"d.bsa"}, {"x.bsa"}, {},
     {"d.bsa", "D.bsa", empty}},
    {"name_registered_twice_is_removed_twice", {"d.bsa", "k.bsa", "d.bsa"}, {"k.bsa"},
     {"d.bsa", "d.bsa"}, {}, {"k.bsa", empty, empty}},
    {"registered_morrowind_bsa_is_always_removed", {"Morrowind.bsa", "a.bsa"},
     {"morrowind.bsa", "a.bsa"}, {"Morrowind.bsa"}, {}, {"a.bsa", empty}},
    {"folder_part_never_matches_a_bare_name", {"sub\\a.bsa"}, {"a.bsa"}, {"sub\\a.bsa"},
     {"a.bsa"}, {"a.bsa"}},
    {"cyrillic_letters_compare_case_sensitively", {"\xC0.bsa"}, {"\xE0.bsa"}, {"\xC0.bsa"},
     {"\xE0.bsa"}, {"\xE0.bsa"}},
    {"new_names_follow_in_scan_order", {"k.bsa"}, {"z.bsa", "k.bsa", "b.bsa", "Z.BSA"}, {},
     {"z.bsa", "b.bsa", "Z.BSA"}, {"k.bsa", "z.bsa", "b.bsa", "Z.BSA"}},
};

// The scan's filter, then the reconciliation, on lists given directly.
struct Result {
    Names removed;
    Names added;
    Slots pending;
};

Result ReconcileNames(const Names& registered, const Names& onDisk) {
    ArchiveList r;
    ArchiveList f;
    for (const std::string& name : registered) AddArchive(r, name);
    for (const std::string& name : onDisk) {
        if (IsRegistrableArchive(name)) AddArchive(f, name);
    }
    Result result;
    ReconcileLists(r, f, [&](const std::string& name) { result.removed.push_back(name); },
                   [&](const std::string& name) { result.added.push_back(name); });
    EXPECT_EQ(PendingCount, PendingList.size());
    result.pending = PendingList;
    ReleasePendingList();
    return result;
}

class ReconcileCases : public testing::TestWithParam<ReconcileCase> {};

TEST_P(ReconcileCases, SinksAndPendingList) {
    const ReconcileCase& c = GetParam();
    Result result = ReconcileNames(c.registered, c.onDisk);
    EXPECT_EQ(result.removed, c.removed);
    EXPECT_EQ(result.added, c.added);
    EXPECT_EQ(result.pending, c.pending);
}

INSTANTIATE_TEST_SUITE_P(Table, ReconcileCases, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<ReconcileCase>& info) {
                             return std::string(info.param.name);
                         });

// With archives the game cannot read among those found.
struct Unreadable {
    std::string name;
    bool staysRegistered;
    bool operator==(const Unreadable& other) const {
        return name == other.name && staysRegistered == other.staysRegistered;
    }
};

void PrintTo(const Unreadable& u, std::ostream* out) {
    *out << u.name << (u.staysRegistered ? " (stays)" : " (left out)");
}

struct JudgedCase {
    const char* name;
    Names registered;
    Names onDisk;
    Names unreadable;  // the judge's verdict: damaged
    Names removed;
    Names added;
    Slots pending;
    std::vector<Unreadable> reported;
};

const JudgedCase JudgedCases[] = {
    {"new_unreadable_is_left_out", {"k.bsa"}, {"k.bsa", "bad.bsa", "n.bsa"}, {"bad.bsa"}, {}, {"n.bsa"},
     {"k.bsa", "n.bsa"}, {{"bad.bsa", false}}},
    {"registered_unreadable_stays", {"bad.bsa", "gone.bsa"}, {"bad.bsa", "n.bsa"}, {"bad.bsa"}, {"gone.bsa"},
     {"n.bsa"}, {"bad.bsa", "n.bsa"}, {{"bad.bsa", true}}},
    // Only unreadable archives are new: nothing is to change.
    {"only_unreadable_new_changes_nothing", {"k.bsa"}, {"x.bsa", "k.bsa", "y.bsa"}, {"x.bsa", "y.bsa"}, {}, {}, {},
     {{"x.bsa", false}, {"y.bsa", false}}},
    {"reported_in_scan_order", {"B.BSA"}, {"c.bsa", "b.bsa", "a.bsa"}, {"a.bsa", "b.bsa", "c.bsa"}, {}, {}, {},
     {{"c.bsa", false}, {"b.bsa", true}, {"a.bsa", false}}},
};

class JudgedReconcile : public testing::TestWithParam<JudgedCase> {};

TEST_P(JudgedReconcile, UnreadableArchives) {
    const JudgedCase& c = GetParam();
    ArchiveList r;
    ArchiveList f;
    for (const std::string& name : c.registered) AddArchive(r, name);
    for (const std::string& name : c.onDisk) AddArchive(f, name);
    Names removed;
    Names added;
    Names judged;
    const std::vector<UnreadableArchive> unreadable = ReconcileLists(
        r, f, [&](const std::string& name) { removed.push_back(name); },
        [&](const std::string& name) { added.push_back(name); },
        [&](const std::string& name) {
            judged.push_back(name);
            const bool bad = std::find(c.unreadable.begin(), c.unreadable.end(), name) != c.unreadable.end();
            return ArchiveCheckResult{bad ? ArchiveVerdict::Damaged : ArchiveVerdict::Readable, 0};
        });
    EXPECT_EQ(removed, c.removed);
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(PendingList, c.pending);
    EXPECT_EQ(PendingCount, c.pending.size());
    ReleasePendingList();
    std::vector<Unreadable> reported;
    for (const UnreadableArchive& archive : unreadable) {
        EXPECT_EQ(archive.verdict, ArchiveVerdict::Damaged);
        reported.push_back({archive.name, archive.staysRegistered});
    }
    EXPECT_EQ(reported, c.reported);
    EXPECT_EQ(judged, c.onDisk) << "every archive on disk is one the list holds, and is judged once";
}

INSTANTIATE_TEST_SUITE_P(Table, JudgedReconcile, testing::ValuesIn(JudgedCases),
                         [](const testing::TestParamInfo<JudgedCase>& info) { return std::string(info.param.name); });

TEST(ReconcileLists, NothingToChangeAtFullCapacity) {
    Names names;
    for (unsigned i = 0; i < MaxArchives; ++i) names.push_back("a" + std::to_string(i) + ".bsa");
    Names upper = names;
    for (std::string& name : upper) name[0] = 'A';
    Result result = ReconcileNames(names, upper);
    EXPECT_TRUE(result.removed.empty());
    EXPECT_TRUE(result.added.empty());
    EXPECT_TRUE(result.pending.empty());
}

} // namespace
