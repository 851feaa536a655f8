// Reading --codepage, and converting the names create packs.
#include "cli/CodePageOption.h"
#include <cstdio>
#include "core/CodePage.h"
#include "core/Names.h"

namespace sfx {

int ReadCodePage(Args& args, const std::string& command) {
    int page = args.number(0, 65535);
    if (KnownCodePage(page)) return page;
    std::string known;
    for (int each : KnownCodePages()) known += (known.empty() ? "" : ", ") + std::to_string(each);
    throw Usage(command, "--codepage takes a Windows ANSI code page (" + known + "), not " + std::to_string(page));
}

// A double-byte code page given for names that one single-byte code page holds whole: likely
// meant for that one (a Cyrillic name fits in 932 too, but Russian machines run 1251).
static void WarnAboutKind(const std::string& name, int codePage) {
    if (!DoubleByte(codePage)) return;
    std::string single;
    for (int page : CodePagesHolding(name))
        if (!DoubleByte(page)) single += (single.empty() ? "" : ", ") + std::to_string(page);
    if (!single.empty())
        std::fprintf(stderr,
                     "sfxpack: warning: %s is packed in code page %d (%s), but single-byte code page %s holds it "
                     "too; give the code page the machines run with\n",
                     Printable(name).c_str(), codePage, CodePageUse(codePage), single.c_str());
}

static void Encode(std::string& name, int codePage, bool& warned) {
    std::string bytes, why;
    if (!EncodeName(name, codePage, bytes, why))
        throw Failure(ExitUsage, "create: the name " + Printable(name) + " can't be packed in code page " +
                                     std::to_string(codePage) + " (" + CodePageUse(codePage) + "): " + why);
    // Only names with more than ASCII tell anything.
    if (!warned && bytes != name) {
        WarnAboutKind(name, codePage);
        warned = true;
    }
    name = bytes;
}

void EncodeNames(PackInputs& inputs, int codePage) {
    bool warned = false;
    Encode(inputs.setupProgram.name, codePage, warned);
    Encode(inputs.projectFile.name, codePage, warned);
    for (auto* list : {&inputs.supportFiles, &inputs.others})
        for (PackFile& file : *list) Encode(file.name, codePage, warned);
}

}  // namespace sfx
