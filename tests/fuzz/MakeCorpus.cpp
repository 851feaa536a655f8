// Writes the fuzz seeds into the folder given: small installers made by the project's writer,
// valid ones and ones whose directory lies, each named after what it exercises.
#include <stdio.h>
#include <fstream>
#include <string>
#include <vector>
#include "write/Writer.h"

using sfx::Bytes;

namespace {

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Enough of an executable's start to look like one, and no more: seeds stay small.
Bytes Stub() {
    Bytes stub(64);
    for (size_t i = 0; i < stub.size(); ++i) stub[i] = (uint8_t)(i * 7 + 3);
    stub[0] = 'M', stub[1] = 'Z';
    return stub;
}

void Put32(Bytes& bytes, size_t at, uint32_t value) { WriteLittle32(&bytes.at(at + 3) - 3, (int32_t)value); }

// The smallest PE32 headers that carry a security entry: signature at 0x40, an optional header
// of 0xE0 bytes with 16 directories, no sections.
Bytes PeStub() {
    Bytes stub(0x200, 0);
    stub[0] = 'M', stub[1] = 'Z';
    Put32(stub, 0x3C, 0x40);
    stub[0x40] = 'P', stub[0x41] = 'E';
    stub[0x44] = 0x4C, stub[0x45] = 0x01;  // i386
    stub[0x54] = 0xE0;                     // optional header size
    stub[0x58] = 0x0B, stub[0x59] = 0x01;  // PE32
    stub[0x58 + 92] = 16;                  // directory count
    return stub;
}

// Signed as signing tools sign: zeros to a multiple of 8, then a certificate table (a fake one of
// a real one's size) that the security entry records.
Bytes Signed(Bytes file) {
    file.resize((file.size() + 7) / 8 * 8, 0);
    size_t table = file.size();
    file.resize(table + 0x5A8, 0x30);
    Put32(file, table, 0x5A8);
    Put32(file, table + 4, 0x00020200);  // revision 2.0, PKCS#7 signed data
    Put32(file, 0x58 + 96 + 32, (uint32_t)table);
    Put32(file, 0x58 + 96 + 36, 0x5A8);
    return file;
}

Bytes Repeating(size_t size) {
    static const char words[] = "setup install file folder program data\r\n";
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = (uint8_t)words[(i * 5 + i / 7) % (sizeof words - 1)];
    return out;
}

// The stub, then members and directory exactly as given, then the trailer: for directories that
// don't match their members.
Bytes Assemble(const std::vector<Bytes>& members, const sfx::ByteWriter& directory) {
    Bytes out = Stub();
    for (const Bytes& member : members) out.insert(out.end(), member.begin(), member.end());
    int32_t directoryOffset = (int32_t)out.size();
    out.insert(out.end(), directory.bytes.begin(), directory.bytes.end());
    Bytes trailer = sfx::Trailer(directoryOffset);
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

struct Seed {
    std::string name;
    Bytes bytes;
};

std::vector<Seed> Seeds() {
    std::vector<Seed> seeds;
    sfx::Directory usual{"setup.exe", "setup.lst", {"a.dll"}, {"setup.lst", "a.dll"}, "note"};

    seeds.push_back({"stored", sfx::BuildInstaller(Stub(), usual,
        {{"setup.exe", Repeating(120), sfx::Stored},
         {"setup.lst", Text("[setup]\r\n"), sfx::Stored},
         {"a.dll", Repeating(40), sfx::Stored}})});

    seeds.push_back({"deflated-with-check", sfx::BuildInstaller(Stub(), usual,
        {{"setup.exe", sfx::DeflateMember(Repeating(600)), sfx::Deflated},
         {"setup.lst", sfx::DeflateMember(Text("[setup]\r\n")), sfx::Deflated},
         {"a.dll", sfx::DeflateMember(Repeating(300), 1), sfx::Deflated}})});

    seeds.push_back({"deflated-without-check", sfx::BuildInstaller(Stub(), usual,
        {{"setup.exe", sfx::DeflateMember(Repeating(600), 9, false), sfx::Deflated},
         {"setup.lst", sfx::DeflateMember(Text("[setup]\r\n"), 6, false), sfx::Deflated},
         {"a.dll", sfx::DeflateMember(Bytes(), 9, false), sfx::Deflated}})});

    // Stored and deflated side by side, a support file with no member, names in another case.
    seeds.push_back({"mixed", sfx::BuildInstaller(Stub(),
        sfx::Directory{"SETUP.EXE", "setup.lst", {"a.dll", "missing.txt", "b.txt"}, {}, ""},
        {{"setup.exe", sfx::DeflateMember(Repeating(200)), sfx::Deflated},
         {"setup.lst", Text(""), sfx::Stored},
         {"a.dll", sfx::DeflateMember(Repeating(90), 9, false), sfx::Deflated},
         {"B.TXT", Text("b"), sfx::Stored}})});

    // A support file named with a drive of its own is a path, not a name in the set-up folder.
    seeds.push_back({"member-with-drive", sfx::BuildInstaller(Stub(),
        sfx::Directory{"setup.exe", "c:\\setup.lst", {"d:\\x.dat"}, {}, ""},
        {{"setup.exe", Text("MZ"), sfx::Stored},
         {"c:\\setup.lst", Text("x"), sfx::Stored},
         {"d:\\x.dat", Text("y"), sfx::Stored}})});

    // A signed installer: the trailer stands before the table, behind a byte of padding.
    seeds.push_back({"signed", Signed(sfx::BuildInstaller(PeStub(), usual,
        {{"setup.exe", Repeating(100), sfx::Stored},
         {"setup.lst", Text("[setup]\r\n"), sfx::Stored},
         {"a.dll", sfx::DeflateMember(Repeating(200)), sfx::Deflated}}))});

    seeds.push_back({"empty-lists", sfx::BuildInstaller(Stub(), sfx::Directory{"", "", {}, {}, ""}, {})});

    {
        sfx::ByteWriter d;
        d.putText("setup.exe");
        d.putText("setup.lst");
        d.put32(-1);  // support files
        d.put32(-5);  // extra names
        d.putList({"setup.exe", "setup.lst"});
        d.putTable({64, 66});
        d.putTable({2, 1});
        d.putTable({0, 0});
        d.putText("");
        seeds.push_back({"negative-list-counts", Assemble({Text("MZ"), Text("x")}, d)});
    }
    {
        sfx::ByteWriter d;
        d.putText("setup.exe");
        d.putText("setup.lst");
        d.putList({});
        d.putList({});
        d.putList({"setup.exe", "setup.lst"});
        d.put32(-2);  // offsets
        d.putTable({2, 1});
        d.putTable({0, 0});
        d.put32(-1);  // extra text length
        seeds.push_back({"negative-table-count", Assemble({Text("MZ"), Text("x")}, d)});
    }
    {
        // Three names, but fewer offsets and sizes than names.
        sfx::ByteWriter d;
        d.putText("setup.exe");
        d.putText("setup.lst");
        d.putList({"a.dll"});
        d.putList({});
        d.putList({"setup.exe", "setup.lst", "a.dll"});
        d.putTable({64, 66});
        d.putTable({2});
        d.putTable({0, 0, 0});
        d.putText("");
        seeds.push_back({"missing-table-entries", Assemble({Text("MZ"), Text("x"), Text("z")}, d)});
    }
    {
        // A method that isn't known, an offset past the end, a size past the end.
        sfx::ByteWriter d;
        d.putText("setup.exe");
        d.putText("setup.lst");
        d.putList({"a.dll"});
        d.putList({});
        d.putList({"setup.exe", "setup.lst", "a.dll"});
        d.putTable({64, 100000, 64});
        d.putTable({2, 1, 5000});
        d.putTable({1, 0, 0});
        d.putText("");
        seeds.push_back({"bad-method-offset-size", Assemble({Text("MZ")}, d)});
    }
    {
        // Deflated members whose declared size the stream can't fill, or that has no stream.
        Bytes shortStream = sfx::DeflateMember(Repeating(100));
        shortStream[0] = 0xC8;  // declares 200 bytes
        Bytes noStream = {5, 0, 0, 0};
        Bytes cut = sfx::DeflateMember(Repeating(300));
        cut.resize(cut.size() / 2);
        seeds.push_back({"deflated-damaged", sfx::BuildInstaller(Stub(), usual,
            {{"setup.exe", shortStream, sfx::Deflated},
             {"setup.lst", noStream, sfx::Deflated},
             {"a.dll", cut, sfx::Deflated}})});
    }
    {
        // A text whose length runs past the directory's end.
        sfx::ByteWriter d;
        d.putText("setup.exe");
        d.put32(1000);
        d.putBytes("setup.lst", 9);
        seeds.push_back({"text-past-end", Assemble({}, d)});
    }
    // Nothing but a trailer, pointing at itself; and one pointing before the file's start.
    seeds.push_back({"trailer-only", sfx::Trailer(0)});
    {
        Bytes out = Stub();
        Bytes trailer = sfx::Trailer(-100);
        out.insert(out.end(), trailer.begin(), trailer.end());
        seeds.push_back({"directory-before-start", out});
    }
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const Seed& seed : Seeds()) {
        std::string path = std::string(argv[1]) + "/" + seed.name + ".bin";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write((const char*)seed.bytes.data(), (std::streamsize)seed.bytes.size());
        if (!out) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
