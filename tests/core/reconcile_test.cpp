// Which names are removed, which are new, and the keys an update writes.
#include <gtest/gtest.h>

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
