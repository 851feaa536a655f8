// Bills of materials: create and list print the same bytes whatever -j is, each hash is that of
// the bytes extract writes, the stub's survives signing, names in other code pages, a damaged
// member, and verify --sbom catching what changed; the JSON reader behind it. Every document a
// command test writes (*.cdx.json) is checked against the official schema at tear-down.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include "cli/BomCheck.h"
#include "core/Digest.h"
#include "core/Json.h"
#include "PackTestSupport.h"

using sfx::Bytes;
namespace fs = std::filesystem;

TEST(Json, ReadsWhatItWritesAndRefusesTheRest) {
    sfx::JsonValue value;
    std::string why;
    ASSERT_TRUE(sfx::ParseJson(" {\"a\": [1, -2.5e3, true, false, null, \"\\u00e9\\ud83d\\ude00\\n\"], \"b\": {}} ",
                               value, why))
        << why;
    const sfx::JsonValue& items = *value.find("a");
    ASSERT_EQ(items.items.size(), 6u);
    EXPECT_EQ(items.items[1].text, "-2.5e3");
    EXPECT_TRUE(items.items[2].boolean);
    EXPECT_EQ(items.items[4].type, sfx::JsonValue::Type::Null);
    EXPECT_EQ(items.items[5].text, "\xC3\xA9\xF0\x9F\x98\x80\n");
    const std::string odd = "a\"b\\c\x01\xC3\xA9\x7F";
    ASSERT_TRUE(sfx::ParseJson(sfx::JsonString(odd), value, why)) << why;
    EXPECT_EQ(value.text, odd);

    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "{\"a\": 1,}", "01", "1e", "-", "tru", "\"\\ud800\"",
                            "\"\\udc00\"", "\"\\x\"", "\"\x01\"", "\"\xFF\"", "\"\xC0\x80\"", "[] []", "\"open"}) {
        EXPECT_FALSE(sfx::ParseJson(bad, value, why)) << bad;
        EXPECT_NE(why.find(" at byte "), std::string::npos) << bad;
    }
    std::string deep = std::string(sfx::MaxJsonDepth + 1, '[') + std::string(sfx::MaxJsonDepth + 1, ']');
    EXPECT_FALSE(sfx::ParseJson(deep, value, why));
    EXPECT_EQ(why.rfind("nested too deep", 0), 0u) << why;
    EXPECT_TRUE(sfx::ParseJson(deep.substr(1, deep.size() - 2), value, why)) << why;
}

class Sbom : public ToolRun {
protected:
    void SetUp() override {
        ToolRun::SetUp();
        limits = "export SOURCE_DATE_EPOCH=1700000000; ";
        write("stub.exe", PeImageOf(0x600, false));
        writeInputs();
    }
    void writeInputs() {
        fs::remove_all(path("in"));
        write("in/setup.exe", TextLike(30000, 1));
        write("in/setup.lst", TextLike(400, 2));
        write("in/noise.bin", Noise(20000));
        write("in/empty.txt", {});
        write("in/sub/deep.dat", TextLike(7000, 4));
    }
    void TearDown() override {
        std::vector<std::string> documents;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            std::string name = entry.path().string();
            if (name.size() > 9 && name.compare(name.size() - 9, 9, ".cdx.json") == 0) documents.push_back(name);
        }
        if (!documents.empty()) {
            EXPECT_EQ(BomProblems(documents), "");
        }
        ToolRun::TearDown();
    }
    // Packs in/ (setup.exe, setup.lst, empty.txt, noise.bin, sub\deep.dat) with the options added.
    int create(const std::string& output, std::vector<std::string> more = {}) {
        std::vector<std::string> words = {"create", "-q", "-o", output, "--stub", "stub.exe", "--setup",
                                          "in/setup.exe", "--project", "in/setup.lst"};
        words.insert(words.end(), more.begin(), more.end());
        return run(words);
    }
    // list --sbom, its output kept in the document named.
    int list(const std::string& installer, const std::string& document, std::vector<std::string> more = {}) {
        more.insert(more.begin(), {"list", "--sbom", installer});
        int code = run(more);
        std::ofstream(path(document), std::ios::binary) << out;
        return code;
    }
    sfx::BomClaims claims(const std::string& document) {
        sfx::JsonValue value;
        sfx::BomClaims result;
        std::string why;
        EXPECT_TRUE(sfx::ParseJson(ToText(read(document)), value, why) && sfx::ReadBomClaims(value, result, why))
            << why;
        return result;
    }
    void expectIn(const std::string& text, const std::string& part) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
};

TEST_F(Sbom, CreateAndListPrintTheSameBytesWithTheHashesOfWhatExtractWrites) {
    ASSERT_EQ(create("setup.exe", {"in", "--sbom", "made.cdx.json", "-j", "1"}), 0) << err;
    fs::create_directories(path("again"));
    ASSERT_EQ(create("again/setup.exe", {"in", "--sbom=j2.cdx.json", "-j2"}), 0) << err;
    EXPECT_EQ(read("j2.cdx.json"), read("made.cdx.json"));
    ASSERT_EQ(list("setup.exe", "listed.cdx.json"), 0) << err;
    EXPECT_EQ(read("listed.cdx.json"), read("made.cdx.json"));
    std::string text = ToText(read("made.cdx.json"));
    expectIn(text, "\"timestamp\": \"2023-11-14T22:13:20Z\"");
    expectIn(text, "\"name\": \"setup.exe\"");

    ASSERT_EQ(run({"extract", "-q", "-d", "x", "setup.exe"}), 0) << err;
    sfx::BomClaims made = claims("made.cdx.json");
    EXPECT_EQ(made.sha256, sfx::Sha256Hex(read("setup.exe")));
    EXPECT_EQ(made.stubSha256, sfx::Sha256Hex(read("stub.exe")));
    std::vector<std::string> names;
    for (const auto& member : made.members) {
        std::string file = member.name;
        std::replace(file.begin(), file.end(), '\\', '/');
        EXPECT_EQ(member.sha256, sfx::Sha256Hex(read("x/" + file))) << file;
        names.push_back(member.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"setup.exe", "setup.lst", "empty.txt", "noise.bin", "sub\\deep.dat"}));

    // Standard input is named installer.exe; without SOURCE_DATE_EPOCH there is no timestamp.
    limits = "unset SOURCE_DATE_EPOCH; ";
    ASSERT_EQ(run({"list", "--sbom", "-"}, "setup.exe"), 0) << err;
    expectIn(out, "\"name\": \"installer.exe\"");
    EXPECT_EQ(out.find("timestamp"), std::string::npos);
}

TEST_F(Sbom, SigningLeavesTheStubsHashAsItIs) {
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide);
        write("stub.exe", PeImageOf(0x600, wide));
        ASSERT_EQ(create("plain.exe", {"in", "--sbom", "plain.cdx.json"}), 0) << err;
        // Signing appends the table, records it in the security entry and writes a checksum.
        Bytes signedFile = SignedCopy(read("plain.exe"), wide);
        Put32(signedFile, 0x98 + 64, 0x4F1D2);
        write("signed.exe", signedFile);
        ASSERT_EQ(list("signed.exe", "signed.cdx.json"), 0) << err;
        sfx::BomClaims plain = claims("plain.cdx.json"), signedClaims = claims("signed.cdx.json");
        EXPECT_EQ(signedClaims.stubSha256, plain.stubSha256);
        EXPECT_EQ(signedClaims.sha256, sfx::Sha256Hex(signedFile));
        EXPECT_NE(signedClaims.sha256, plain.sha256);
        expectIn(ToText(read("signed.cdx.json")), wide ? "\"sfxstub64.exe\"" : "\"sfxstub.exe\"");
        ASSERT_EQ(run({"verify", "--sbom", "plain.cdx.json", "signed.exe"}), 0) << out << err;
        expectIn(out, "note     the whole file's SHA-256 is ");
        expectIn(out, "signed.exe: matches plain.cdx.json: the stub and 5 members");
    }
    // A change to the stub outside those two fields is caught.
    Bytes other = read("plain.exe");
    other[0x300] ^= 1;
    write("other.exe", other);
    EXPECT_EQ(run({"verify", "--sbom", "plain.cdx.json", "other.exe"}), 1);
    expectIn(out, "STUB     the stub's SHA-256 is ");
}

TEST_F(Sbom, NamesAreDecodedFromTheCodePageAsListShowsThem) {
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt";  // Привет.txt
    write("in/" + privet, ToBytes("P"));
    ASSERT_EQ(create("ru.exe", {"--codepage", "1251", "--support", "in/" + privet, "--sbom", "ru.cdx.json"}), 0) << err;
    ASSERT_EQ(list("ru.exe", "ru-listed.cdx.json", {"--codepage", "1251"}), 0) << err;
    EXPECT_EQ(read("ru-listed.cdx.json"), read("ru.cdx.json"));
    expectIn(ToText(read("ru.cdx.json")), "\"name\": \"" + privet + "\"");
    expectIn(ToText(read("ru.cdx.json")), "{\"name\": \"sfx:codePage\", \"value\": \"1251\"}");
    // verify takes the document's code page unless told another.
    EXPECT_EQ(run({"verify", "--sbom", "ru.cdx.json", "ru.exe"}), 0) << out;
    EXPECT_EQ(run({"verify", "--sbom", "ru.cdx.json", "--codepage", "1252", "ru.exe"}), 1) << out;

    // Bytes that are no character in 1252: U+FFFD in the name, the exact bytes beside it.
    write("odd.exe", sfx::BuildInstaller(PeStub(0x400), {"s.exe", "p.lst", {"caf\xE9\x81.txt"}, {}, ""},
                                         {{"s.exe", ToBytes("S")}, {"p.lst", ToBytes("P")},
                                          {"caf\xE9\x81.txt", ToBytes("C")}}));
    ASSERT_EQ(list("odd.exe", "odd.cdx.json"), 0) << err;
    expectIn(out, "\"name\": \"caf\xC3\xA9\xEF\xBF\xBD.txt\",\n      \"hashes\": [{\"alg\": \"SHA-256\", "
                  "\"content\": \"" + sfx::Sha256Hex(ToBytes("C")));
    expectIn(out, "{\"name\": \"sfx:nameHex\", \"value\": \"636166e9812e747874\"}");
}

TEST_F(Sbom, ADamagedMemberIsListedWithoutAHashAndFailsListAndVerify) {
    Bytes bad = sfx::DeflateMember(TextLike(2000, 6), 9, false);
    Put32(bad, 0, 2001);
    write("bad.exe", sfx::BuildInstaller(PeStub(0x300), {"setup.exe", "setup.exe", {"a.dll"}, {}, ""},
                                         {{"setup.exe", ToBytes("MZ")}, {"a.dll", bad, sfx::Deflated}}));
    EXPECT_EQ(list("bad.exe", "bad.cdx.json"), 1);
    expectIn(err, "sfxpack: error: a.dll: the stream ends after 2000 of its declared 2001 bytes");
    sfx::BomClaims listed = claims("bad.cdx.json");
    ASSERT_EQ(listed.members.size(), 2u);
    EXPECT_EQ(listed.members[1].sha256, "");
    expectIn(out, "{\"name\": \"sfx:damaged\", \"value\": \"the stream ends after 2000 of its declared 2001 bytes\"}");
    EXPECT_EQ(run({"verify", "--sbom", "bad.cdx.json", "bad.exe"}), 1);
    expectIn(out, "DAMAGED  a.dll: the stream ends after");
}

TEST_F(Sbom, VerifyNamesEveryMemberChangedMissingExtraOrMoved) {
    ASSERT_EQ(create("setup.exe", {"in", "--sbom", "made.cdx.json"}), 0) << err;
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> options;
        const char* finding;  // empty: none
    } rows[] = {
        {"same", [] {}, {"in"}, ""},
        {"changed", [this] { write("in/noise.bin", Noise(20000, 2)); }, {"in"}, "CHANGED  noise.bin: "},
        {"missing", [] {}, {"--support", "in/noise.bin", "--member", "sub\\deep.dat=in/sub/deep.dat"},
         "MISSING  empty.txt: in the document, not in the installer"},
        {"extra", [this] { write("in/more.txt", ToBytes("M")); }, {"in"},
         "EXTRA    more.txt: in the installer, not in the document"},
        {"moved", [] {}, {"--support", "in/noise.bin", "--support", "in/empty.txt", "--member",
                          "sub\\deep.dat=in/sub/deep.dat"},
         "MOVED    noise.bin: entry 2 in the installer, 3 in the document"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeInputs();
        row.change();
        ASSERT_EQ(create("now.exe", row.options), 0) << err;
        EXPECT_EQ(run({"verify", "-q", "--sbom", "made.cdx.json", "now.exe"}), *row.finding ? 1 : 0) << out << err;
        if (*row.finding) expectIn(out, row.finding);
        if (*row.finding) expectIn(out, "now.exe: DIFFERS from made.cdx.json, ");
    }
}

TEST_F(Sbom, MistakesAreUsageErrors) {
    write("setup.exe", SampleInstaller());
    for (const char* epoch : {"", "-5", "1.5", "17e8", "253402300800", "99999999999999"}) {
        limits = std::string("export SOURCE_DATE_EPOCH='") + epoch + "'; ";
        EXPECT_EQ(run({"list", "--sbom", "setup.exe"}), 2) << epoch;
        expectIn(err, "SOURCE_DATE_EPOCH is ");
        EXPECT_EQ(create("x.exe", {"--sbom", "x.cdx.json"}), 2) << epoch;
        EXPECT_FALSE(exists("x.exe") || exists("x.cdx.json")) << epoch;
        EXPECT_EQ(create("x.exe"), 0) << err;  // without --sbom it is not read
        fs::remove(path("x.exe"));
    }
    // The timestamp from the first and the last second, and a leap day.
    for (auto [epoch, date] : {std::make_pair("0", "1970-01-01T00:00:00Z"), {"951782400", "2000-02-29T00:00:00Z"},
                               {"253402300799", "9999-12-31T23:59:59Z"}}) {
        limits = std::string("export SOURCE_DATE_EPOCH=") + epoch + "; ";
        ASSERT_EQ(list("setup.exe", std::string(epoch) + ".cdx.json"), 0) << err;
        expectIn(out, std::string("\"timestamp\": \"") + date + "\"");
    }
    limits.clear();
    EXPECT_EQ(run({"list", "--sbom", "--json", "setup.exe"}), 2);
    EXPECT_EQ(create("x.exe", {"--sbom", "x.exe"}), 2);
    write("plain.json", ToBytes("{\"bomFormat\": \"SPDX\"}"));
    EXPECT_EQ(run({"verify", "--sbom", "plain.json", "setup.exe"}), 2);
    expectIn(err, "plain.json is no bill of materials: it is no CycloneDX document");
    write("cut.json", ToBytes("{\"bomFormat\": "));
    EXPECT_EQ(run({"verify", "--sbom", "cut.json", "setup.exe"}), 2);
    expectIn(err, "the text ends early at byte 14");
}

// The checker itself: what the schema forbids, and the rules it adds, are refused.
TEST_F(Sbom, TheCheckerRefusesWhatTheSchemaAndItsOwnRulesForbid) {
    ASSERT_EQ(create("setup.exe", {"--sbom", "made.cdx.json"}), 0) << err;
    std::string text = ToText(read("made.cdx.json"));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        size_t at = changed.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? changed : changed.replace(at, from.size(), to);
    };
    const std::string serial = text.substr(text.find("urn:uuid:"), 10);  // and the UUID's first digit
    const std::pair<std::string, const char*> rows[] = {
        {replaced("\"bom-ref\": \"member-1\"", "\"bom-ref\": \"member-0\""), "bom-ref 'member-0' is given 2 times"},
        {replaced("\"dependsOn\": [\"zlib\"]", "\"dependsOn\": [\"zlib-2\"]"),
         "reference 'zlib-2' points at no bom-ref"},
        {replaced("\"alg\": \"SHA-256\", \"content\": \"", "\"alg\": \"SHA-256\", \"content\": \"0"), "does not match"},
        {replaced("\"version\": 1,", "\"version\": 1, \"metadata2\": 1,"), "Additional properties are not allowed"},
        {replaced(serial, serial.substr(0, 9) + (serial[9] == '0' ? '1' : '0')),
         "the serial number is not the UUID of the installer's SHA-256"},
    };
    for (const auto& row : rows) {
        write("bad.json", ToBytes(row.first));
        std::string problems = BomProblems({path("bad.json")});
        EXPECT_NE(problems.find(row.second), std::string::npos) << row.second << "\n" << problems;
    }
}
