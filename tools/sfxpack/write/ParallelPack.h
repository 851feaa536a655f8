// Deflating members on several threads: each member cut into pieces, the pieces deflated by a
// pool of workers and handed back in order on the calling thread, with a bounded number of bytes
// held at once. The pieces' bounds depend on the sizes alone, never on the threads, so the
// bytes come out the same for any number of workers.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "write/Encoder.h"

namespace sfx {

// A member's bytes while some piece of it is held: in memory already, or a mapped file.
class MemberBytes {
public:
    virtual ~MemberBytes() = default;
    virtual ByteView bytes() const = 0;
};

struct MemberPlan {
    uint64_t size = 0;      // what the member's bytes will hold, to cut them into pieces
    bool deflate = true;    // false: stored as it is, never deflated
    std::function<std::shared_ptr<MemberBytes>()> open;  // called once, on a worker
};

struct PieceOptions {
    int level = DefaultLevel;
    EncoderKind encoder = EncoderKind::Best;
    int jobs = 0;                    // workers; 0 for one per core
    size_t pieceSize = 16u << 20;    // members up to this size are deflated whole
    uint64_t aheadBudget = 24u << 20;  // input bytes of pieces done early, beyond one per worker
};

// One piece, done: its input and, unless its member is stored, its raw deflate bits.
struct Piece {
    size_t member = 0;
    ByteView input;
    bool first = false, last = false;
    bool deflated = false;  // stream holds the piece's bits
    Bytes stream;
    uint32_t adler = 1;     // the Adler-32 of the input alone, when deflated
};

// Called in member order, piece by piece; returns false to have the member's later pieces
// handed over undeflated (it is to be stored).
using PieceFn = std::function<bool(const Piece& piece)>;

// Runs every member's pieces. A failure on a worker (a file that can't be read, deflate
// failing) stops the rest and is thrown here, as is one thrown by `done`.
void DeflatePieces(const std::vector<MemberPlan>& members, const PieceOptions& options, const PieceFn& done);

// The number of workers for the option's value: the cores, when it is 0.
int WorkerCount(int jobs);

}  // namespace sfx
