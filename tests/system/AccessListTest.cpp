// Security descriptors judged from their bytes: descriptors Wine gave for real folders, ones put
// together byte by byte by the host backend (independently of the stub's own builder), and
// damaged ones.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "system/AccessList.h"
#include "system/posix/HostControl.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 2) out.push_back((uint8_t)std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

const Bytes User = Hex("010500000000000515000000010000000200000003000000e8030000");   // S-1-5-21-1-2-3-1000
const Bytes Other = Hex("010500000000000515000000010000000200000003000000e9030000");  // ...-1001
const Bytes Everyone = Hex("010100000000000100000000"), Users = Hex("01020000000000052000000021020000"),
            AuthenticatedUsers = Hex("01010000000000050b000000"), Admins = Hex("01020000000000052000000020020000"),
            System = Hex("010100000000000512000000");

using Entry = HostAccessEntry;

const uint32_t Full = 0x1F01FF, ReadExecute = 0x1200A9;
const Entry TrustedEntries[] = {{0, 3, Full, User}, {0, 3, Full, Admins}, {0, 3, Full, System}};
std::vector<Entry> Trusted(std::vector<Entry> more = {}) {
    more.insert(more.begin(), std::begin(TrustedEntries), std::end(TrustedEntries));
    return more;
}

// The bytes with some changed. Behind a 28-byte owner the list starts at 48: its size at 50, its
// count at 52, and its first entry at 56 (size at 58, SID at 64, the SID's count at 65).
Bytes With(Bytes bytes, size_t at, std::vector<uint8_t> values) {
    for (size_t i = 0; i < values.size(); ++i) bytes.at(at + i) = values[i];
    return bytes;
}

// What Wine 8 gave for c:\ folders made by the stub, and made by hand at 0755 and 0777; its user
// is S-1-5-21-0-0-0-1000.
const Bytes WineUser = Hex("010500000000000515000000000000000000000000000000e8030000");
const char* const WineMade =
    "0100048014000000000000000000000030000000010500000000000515000000000000000000000000000000e8030000"
    "020040000200000000031400ff011f0001010000000000051200000000032400ff011f0001050000000000051500000000"
    "0000000000000000000000e8030000";
const char* const Wine755 =
    "0100048014000000000000000000000030000000010500000000000515000000000000000000000000000000e8030000"
    "020054000300000000031400ff011f0001010000000000051200000000032400ff011f0001050000000000051500000000"
    "0000000000000000000000e803000000031400a9001200010100000000000100000000";
const char* const Wine777 =
    "0100048014000000000000000000000030000000010500000000000515000000000000000000000000000000e8030000"
    "020054000300000000031400ff011f0001010000000000051200000000032400ff011f0001050000000000051500000000"
    "0000000000000000000000e803000000031400ff011300010100000000000100000000";

struct Row {
    const char* name;
    Bytes descriptor;
    FolderVerdict verdict;
    const Bytes* user = &User;
};

std::vector<Row> Rows() {
    Bytes good = HostDescriptor(User, Trusted());
    return {
        {"WineMadeByTheStub", Hex(WineMade), FolderSafe, &WineUser},
        {"Wine0755", Hex(Wine755), FolderSafe, &WineUser},
        {"Wine0777", Hex(Wine777), FolderOpen, &WineUser},
        {"TrustedOnly", good, FolderSafe},
        {"OwnedByAdministrators", HostDescriptor(Admins, Trusted()), FolderSafe},
        {"OwnedBySystem", HostDescriptor(System, Trusted()), FolderSafe},
        {"OwnedByAnotherUser", HostDescriptor(Other, Trusted()), FolderOwnedByOther},
        {"OwnedByEveryone", HostDescriptor(Everyone, {}), FolderOwnedByOther},
        {"EmptyList", HostDescriptor(User, {}), FolderSafe},
        {"NullList", HostDescriptor(User, Trusted(), 0x8000), FolderOpen},
        {"ListPresentAtOffsetZero", With(good, 16, {0, 0, 0, 0}), FolderOpen},
        {"EveryoneReadsAndLists", HostDescriptor(User, Trusted({{0, 3, ReadExecute, Everyone}})), FolderSafe},
        {"EveryoneWrites", HostDescriptor(User, Trusted({{0, 0, 0x2, Everyone}})), FolderOpen},
        {"UsersAppend", HostDescriptor(User, Trusted({{0, 0, 0x4, Users}})), FolderOpen},
        {"AuthenticatedUsersDelete", HostDescriptor(User, Trusted({{0, 0, 0x10000, AuthenticatedUsers}})), FolderOpen},
        {"UsersDeleteChildren", HostDescriptor(User, Trusted({{0, 0, 0x40, Users}})), FolderOpen},
        {"EveryoneWritesTheList", HostDescriptor(User, Trusted({{0, 0, 0x40000, Everyone}})), FolderOpen},
        {"EveryoneTakesOwnership", HostDescriptor(User, Trusted({{0, 0, 0x80000, Everyone}})), FolderOpen},
        {"EveryoneGenericAll", HostDescriptor(User, Trusted({{0, 0, 0x10000000, Everyone}})), FolderOpen},
        {"EveryoneGenericWrite", HostDescriptor(User, Trusted({{0, 0, 0x40000000, Everyone}})), FolderOpen},
        {"AnotherUserInheritOnly", HostDescriptor(User, Trusted({{0, 0x0B, Full, Other}})), FolderOpen},
        {"DenyEntriesOnlyTakeAway", HostDescriptor(User, {{1, 0, Full, Everyone}, TrustedEntries[0]}), FolderSafe},
        {"UnknownEntryType", HostDescriptor(User, Trusted({{0x11, 0, 0, Everyone}})), FolderUnreadable},
        {"AnObjectEntry", HostDescriptor(User, {{5, 0, ReadExecute, Everyone}}), FolderUnreadable},
        {"UnknownUserTrustsOnlyAdministratorsAndSystem", HostDescriptor(Admins, Trusted()), FolderOpen, nullptr},
        // Damage: counts and sizes that run past the list or the descriptor.
        {"CountPastTheList", With(good, 52, {4}), FolderUnreadable},
        {"EntrySizeZero", With(good, 58, {0, 0}), FolderUnreadable},
        {"EntrySizePastTheList", With(good, 58, {0xF0, 0}), FolderUnreadable},
        {"ListSizePastTheDescriptor", With(good, 50, {0xFF, 0x7F}), FolderUnreadable},
        {"ListSizeBelowItsHeader", With(good, 50, {4, 0}), FolderUnreadable},
        {"ListOffsetPastTheEnd", With(good, 16, {0xFF, 0xFF, 0, 0}), FolderUnreadable},
        {"OwnerOffsetPastTheEnd", With(good, 4, {0xFF, 0xFF, 0xFF, 0xFF}), FolderUnreadable},
        {"OwnerOffsetZero", With(good, 4, {0, 0, 0, 0}), FolderUnreadable},
        {"OwnerSubAuthoritiesPastTheEnd", Bytes(good.begin(), good.begin() + 30), FolderUnreadable},
        {"EntrySidCountPastTheEntry", With(good, 65, {15}), FolderUnreadable},
        {"NotSelfRelative", With(good, 3, {0}), FolderUnreadable},
        {"ShorterThanItsHeader", Bytes(good.begin(), good.begin() + 19), FolderUnreadable},
        {"WrongRevision", With(good, 0, {2}), FolderUnreadable},
    };
}
}  // namespace

class Judge : public ::testing::TestWithParam<Row> {};

TEST_P(Judge, GivesTheVerdict) {
    const Row& row = GetParam();
    EXPECT_EQ(JudgeDescriptor(row.descriptor.data(), (uint32_t)row.descriptor.size(), row.user ? row.user->data() : nullptr),
              row.verdict);
}

INSTANTIATE_TEST_SUITE_P(AccessList, Judge, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AccessList, ThePrivateDescriptorGivesFullControlToTheUserAdministratorsAndSystemAlone) {
    // Protected and self-relative, no owner, the list at 20; each entry inherited by files and folders.
    const Bytes expected = Hex(
        "0100049000000000000000000000000014000000" "0200580003000000"
        "00031800ff011f00" "01020000000000052000000020020000" "00031400ff011f00" "010100000000000512000000"
        "00032400ff011f00" "010500000000000515000000010000000200000003000000e8030000");
    Bytes out(PrivateDescriptorRoom);
    out.resize(BuildPrivateDescriptor(out.data(), User.data()));
    EXPECT_EQ(out, expected);
    // Without a known user, Administrators and SYSTEM alone.
    Bytes two(PrivateDescriptorRoom);
    two.resize(BuildPrivateDescriptor(two.data(), nullptr));
    EXPECT_EQ(two, With(Bytes(expected.begin(), expected.begin() + 72), 22, {0x34, 0, 2}));
    // The longest SID fits.
    Bytes longest = {1, 15, 0, 0, 0, 0, 0, 5};
    longest.resize(MaxSidLength, 7);
    EXPECT_EQ(BuildPrivateDescriptor(out.data(), longest.data()), (uint32_t)PrivateDescriptorRoom);
}
