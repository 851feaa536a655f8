// The benchmark payload: a seeded, byte-for-byte repeatable set of member files of a given total size.
// Usage: sfxbenchpayload OUTDIR TOTAL_BYTES [SEED]  (writes OUTDIR/<name> and OUTDIR/members.txt)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// std::mt19937_64's output sequence is fixed by the standard; the distributions are not, so
// every draw below works from raw outputs and the payload is the same with any library.
class Draw {
public:
    explicit Draw(uint64_t seed) : engine(seed) {}
    uint64_t bits() { return engine(); }
    uint64_t below(uint64_t bound) { return engine() % bound; }
    double unit() { return (double)(engine() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::mt19937_64 engine;
};

enum class Kind { Text, Binary, Random };

// Text as in read-me files, scripts and lists: words drawn by Zipf's law from a vocabulary,
// numbers now and then, CR LF line ends. Deflate at level 9 packs it to about 40 %.
std::string Text(Draw& draw, size_t size) {
    static std::vector<std::string> vocabulary;
    static std::vector<uint64_t> reach;  // running sums of integer Zipf weights: exact on any machine
    if (vocabulary.empty()) {
        Draw words(7);
        for (uint64_t rank = 1; rank <= 4000; ++rank) {
            std::string word;
            for (size_t n = 2 + words.below(9); n > 0; --n) word += (char)('a' + words.below(26));
            vocabulary.push_back(word);
            reach.push_back((reach.empty() ? 0 : reach.back()) + (1u << 24) / rank);
        }
    }
    std::string out;
    out.reserve(size + 64);
    while (out.size() < size) {
        for (uint64_t n = 6 + draw.below(10); n > 0; --n) {
            size_t rank = std::upper_bound(reach.begin(), reach.end(), draw.below(reach.back())) - reach.begin();
            if (draw.below(40) == 0) out += std::to_string(draw.below(100000));
            else out += vocabulary[rank];
            out += ' ';
        }
        out += "\r\n";
    }
    out.resize(size);
    return out;
}

// Machine-code-like bytes: a small set of opcode patterns with mostly small operands.
// Deflate at level 9 packs it to about 70 %.
std::string Binary(Draw& draw, size_t size) {
    static std::vector<std::string> patterns;
    if (patterns.empty()) {
        Draw shapes(11);
        for (int i = 0; i < 96; ++i) {
            std::string pattern;
            for (size_t n = 1 + shapes.below(4); n > 0; --n) pattern += (char)shapes.below(256);
            patterns.push_back(pattern);
        }
    }
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) {
        out += patterns[(size_t)(std::sqrt(draw.unit()) * patterns.size())];
        switch (draw.below(4)) {
        case 0: break;
        case 1: out += (char)draw.below(32); break;
        default: {
            uint32_t value = (uint32_t)(draw.below(4) == 0 ? draw.bits() : 0x401000 + draw.below(0x8000));
            for (int i = 0; i < 4; ++i) out += (char)(value >> (8 * i));
        }
        }
    }
    out.resize(size);
    return out;
}

// Already-compressed data (cabinets, images, media): noise that deflate can't shrink.
std::string Random(Draw& draw, size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; i += 8) {
        uint64_t value = draw.bits();
        for (size_t j = 0; j < 8 && i + j < size; ++j) out[i + j] = (char)(value >> (8 * j));
    }
    return out;
}

struct Plan {
    std::string name;
    Kind kind;
    double share;  // of the total
};

const char* KindName(Kind kind) { return kind == Kind::Text ? "text" : kind == Kind::Binary ? "binary" : "random"; }

// 40 members: the project file, three large ones (44 % of the bytes) and 36 of seeded sizes
// and kinds, about half text, a quarter each binary and random.
std::vector<Plan> MakePlan(Draw& draw) {
    std::vector<Plan> plan = {{"setup.lst", Kind::Text, 0.0005},
                              {"manual.txt", Kind::Text, 0.1875},
                              {"media.cab", Kind::Random, 0.15625},
                              {"engine.dll", Kind::Binary, 0.09375}};
    std::vector<double> weights;
    double weightSum = 0;
    for (int i = 0; i < 36; ++i) weights.push_back(1 + (double)draw.below(16)), weightSum += weights.back();
    double rest = 1.0;
    for (const Plan& p : plan) rest -= p.share;
    for (int i = 0; i < 36; ++i) {
        uint64_t pick = draw.below(4);
        Kind kind = pick < 2 ? Kind::Text : pick == 2 ? Kind::Binary : Kind::Random;
        char name[32];
        std::snprintf(name, sizeof name, "%s%02d.%s", kind == Kind::Text ? "doc" : kind == Kind::Binary ? "lib" : "pak",
                      i + 1, kind == Kind::Text ? "txt" : kind == Kind::Binary ? "dll" : "dat");
        plan.push_back({name, kind, rest * weights[i] / weightSum});
    }
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR TOTAL_BYTES [SEED]\n", argv[0]);
        return 2;
    }
    std::string outDir = argv[1];
    uint64_t total = std::strtoull(argv[2], nullptr, 10);
    Draw draw(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240607);
    std::vector<Plan> plan = MakePlan(draw);

    std::ofstream list(outDir + "/members.txt");
    uint64_t written = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        // The last member takes what rounding left, so the total is exact.
        uint64_t size = i + 1 == plan.size() ? total - written : (uint64_t)(plan[i].share * (double)total);
        std::string data = plan[i].kind == Kind::Text     ? Text(draw, size)
                           : plan[i].kind == Kind::Binary ? Binary(draw, size)
                                                          : Random(draw, size);
        std::ofstream out(outDir + "/" + plan[i].name, std::ios::binary | std::ios::trunc);
        out.write(data.data(), (std::streamsize)data.size());
        if (!out) {
            std::fprintf(stderr, "cannot write %s/%s\n", outDir.c_str(), plan[i].name.c_str());
            return 1;
        }
        list << plan[i].name << ' ' << KindName(plan[i].kind) << ' ' << size << '\n';
        written += size;
    }
    return 0;
}
