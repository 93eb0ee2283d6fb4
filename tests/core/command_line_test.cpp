// What each command line asks for, and which ones are usage errors.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"

namespace {

struct CommandLineCase {
    const char* name;
    std::vector<std::wstring> arguments;
    std::optional<RunRequest> expected;  // nothing: a usage error
};

const std::optional<RunRequest> UsageError = std::nullopt;

RunRequest Request(RunMode mode, std::wstring folder = {}) {
    return RunRequest{mode, std::move(folder)};
}

const CommandLineCase Cases[] = {
    {"no_arguments_opens_the_dialog", {}, Request(RunMode::Dialog)},
    {"update", {L"/update"}, Request(RunMode::Update)},
    {"check", {L"/check"}, Request(RunMode::Check)},
    {"any_case", {L"/UpDaTe"}, Request(RunMode::Update)},
    {"double_dash", {L"--CHECK"}, Request(RunMode::Check)},
    {"same_switch_twice", {L"/update", L"--update"}, Request(RunMode::Update)},
    {"update_and_check_exclude_each_other", {L"/update", L"/check"}, UsageError},
    {"game_alone_opens_the_dialog_there", {L"/game", L"C:\\Games\\M"}, Request(RunMode::Dialog, L"C:\\Games\\M")},
    {"game_in_another_spelling", {L"--Game", L"D:\\M"}, Request(RunMode::Dialog, L"D:\\M")},
    {"game_with_check_in_either_order", {L"/check", L"/game", L"relative\\M"},
     Request(RunMode::Check, L"relative\\M")},
    {"game_keeps_a_trailing_separator", {L"/update", L"/game", L"C:\\M\\"}, Request(RunMode::Update, L"C:\\M\\")},
    {"game_drops_the_quote_cmd_leaves", {L"/game", L"C:\\Games\\M\""}, Request(RunMode::Dialog, L"C:\\Games\\M")},
    {"game_with_a_quote_inside", {L"/game", L"C:\\Games\\M\" /update"}, UsageError},
    {"game_without_folder", {L"/update", L"/game"}, UsageError},
    {"game_with_a_switch_for_folder", {L"/game", L"/update"}, UsageError},
    {"game_with_an_empty_folder", {L"/game", L""}, UsageError},
    {"game_twice", {L"/game", L"A", L"/game", L"B"}, UsageError},
    {"question_mark", {L"/?"}, Request(RunMode::Help)},
    {"help_wins_over_other_switches", {L"/update", L"--help"}, Request(RunMode::Help)},
    {"help_in_capitals", {L"/HELP"}, Request(RunMode::Help)},
    {"help_with_an_unknown_argument", {L"/?", L"/bogus"}, UsageError},
    {"unknown_switch", {L"/updat"}, UsageError},
    {"single_dash", {L"-update"}, UsageError},
    {"double_dash_question_mark", {L"--?"}, UsageError},
    {"bare_word", {L"update"}, UsageError},
    {"empty_argument", {L""}, UsageError},
    {"folder_without_switch", {L"C:\\Games\\M"}, UsageError},
    {"cyrillic_is_not_folded", {L"/UPDAT\u0415"}, UsageError},  // a Cyrillic capital Ie
};

class ParseCommandLineCases : public testing::TestWithParam<CommandLineCase> {};

TEST_P(ParseCommandLineCases, GivesTheRequest) {
    const CommandLineCase& c = GetParam();
    const std::optional<RunRequest> request = ParseCommandLine(c.arguments);
    ASSERT_EQ(request.has_value(), c.expected.has_value());
    if (!request) return;
    EXPECT_EQ(request->mode, c.expected->mode);
    EXPECT_TRUE(request->gameFolder == c.expected->gameFolder);
}

INSTANTIATE_TEST_SUITE_P(Table, ParseCommandLineCases, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<CommandLineCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
