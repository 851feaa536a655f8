// The worker pool behind DeflatePieces: workers take pieces in order, as far ahead of the
// calling thread as the byte budget allows, and the calling thread hands them on in order.
#include "write/ParallelPack.h"
#include <zlib.h>
#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace sfx {

int WorkerCount(int jobs) {
    if (jobs > 0) return jobs;
    return (int)std::max(1u, std::thread::hardware_concurrency());
}

namespace {

struct Job {
    size_t member;
    uint64_t begin, end;
    bool first, last;
    uint64_t size() const { return end - begin; }
};

// A piece done, and what keeps its input alive until it is handed on.
struct Done {
    Piece piece;
    std::shared_ptr<MemberBytes> bytes;
};

class Pool {
public:
    Pool(const std::vector<MemberPlan>& members, const PieceOptions& options);
    void run(const PieceFn& done);

private:
    void work();
    bool mayTake() const;  // under the lock
    std::shared_ptr<MemberBytes> openFor(const Job& job);  // under the lock
    Done deflatePiece(const Job& job, std::shared_ptr<MemberBytes> bytes, bool wanted, Encoder& encoder) const;
    void stop(std::exception_ptr why);

    const std::vector<MemberPlan>& members;
    const PieceOptions& options;
    int workers;
    std::vector<Job> jobs;

    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0, handedOn = 0;
    uint64_t held = 0;  // input bytes of pieces taken and not yet handed on
    std::map<size_t, Done> finished;
    std::vector<std::shared_ptr<MemberBytes>> opened;
    std::vector<char> storeRest;  // members whose later pieces need no deflating
    std::exception_ptr failure;
    bool stopping = false;
};

Pool::Pool(const std::vector<MemberPlan>& members, const PieceOptions& options)
    : members(members), options(options), opened(members.size()), storeRest(members.size()) {
    uint64_t step = std::max<uint64_t>(1, std::min<uint64_t>(options.pieceSize, 1u << 30));
    for (size_t m = 0; m < members.size(); ++m) {
        uint64_t size = members[m].size, at = 0;
        do {
            uint64_t end = std::min(size, at + step);
            jobs.push_back({m, at, end, at == 0, end == size});
            at = end;
        } while (at < size);
    }
    workers = (int)std::min<size_t>((size_t)WorkerCount(options.jobs), std::max<size_t>(1, jobs.size()));
}

bool Pool::mayTake() const {
    // One piece per worker always; more only within the budget, so that a slow piece at the
    // head does not leave the others idle, nor let them run ahead without limit.
    return next - handedOn < (size_t)workers || held + jobs[next].size() <= options.aheadBudget;
}

std::shared_ptr<MemberBytes> Pool::openFor(const Job& job) {
    std::shared_ptr<MemberBytes>& bytes = opened[job.member];
    if (!bytes) {
        bytes = members[job.member].open();
        if (bytes->bytes().size() != members[job.member].size)
            throw std::runtime_error("a file changed size while it was packed");
    }
    std::shared_ptr<MemberBytes> taken = bytes;
    // The pieces taken hold it from here: it goes once the last of them is handed on.
    if (job.last) bytes.reset();
    return taken;
}

Done Pool::deflatePiece(const Job& job, std::shared_ptr<MemberBytes> bytes, bool wanted, Encoder& encoder) const {
    Done done;
    const uint8_t* base = bytes->bytes().data();
    Piece& piece = done.piece;
    piece.member = job.member;
    piece.input = ByteView(base + job.begin, (size_t)job.size());
    piece.first = job.first;
    piece.last = job.last;
    // Nothing is smaller than an empty member stored.
    if (wanted && job.size() > 0) {
        piece.adler = (uint32_t)adler32(1, piece.input.data(), (uInt)piece.input.size());
        piece.stream = encoder.deflate(base, (size_t)job.begin, (size_t)job.end, job.last);
        piece.deflated = true;
    }
    done.bytes = std::move(bytes);
    return done;
}

void Pool::stop(std::exception_ptr why) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!failure) failure = why;
    stopping = true;
    changed.notify_all();
}

void Pool::work() {
    try {
        std::unique_ptr<Encoder> encoder = MakeEncoder(options.level, options.encoder);
        for (;;) {
            size_t j;
            std::shared_ptr<MemberBytes> bytes;
            bool wanted;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return stopping || next == jobs.size() || mayTake(); });
                if (stopping || next == jobs.size()) return;
                j = next++;
                held += jobs[j].size();
                bytes = openFor(jobs[j]);
                wanted = members[jobs[j].member].deflate && !storeRest[jobs[j].member];
            }
            Done done = deflatePiece(jobs[j], std::move(bytes), wanted, *encoder);
            std::lock_guard<std::mutex> lock(mutex);
            finished.emplace(j, std::move(done));
            changed.notify_all();
        }
    } catch (...) {
        stop(std::current_exception());
    }
}

void Pool::run(const PieceFn& done) {
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i) threads.emplace_back([this] { work(); });
    try {
        for (size_t j = 0; j < jobs.size(); ++j) {
            Done piece;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return failure || finished.count(j); });
                if (failure) break;
                piece = std::move(finished.at(j));
                finished.erase(j);
            }
            bool deflateRest = done(piece.piece);
            piece.bytes->bytes().release(piece.piece.input.data(), piece.piece.input.size());
            std::lock_guard<std::mutex> lock(mutex);
            handedOn = j + 1;
            held -= jobs[j].size();
            if (!deflateRest) storeRest[jobs[j].member] = 1;
            changed.notify_all();
        }
    } catch (...) {
        stop(std::current_exception());
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        changed.notify_all();
    }
    for (std::thread& thread : threads) thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

void DeflatePieces(const std::vector<MemberPlan>& members, const PieceOptions& options, const PieceFn& done) {
    Pool(members, options).run(done);
}

}  // namespace sfx
