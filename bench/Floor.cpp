// The floor: the least work our design can do per member, with no archive code. One read of the
// stored bytes, one inflate call into a block of exactly the unpacked size, one write.
// Usage: sfxfloor INSTALLER MANIFEST OUTDIR  (the manifest as bench/prepare.py writes it)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static int Fail(const char* what, const char* name) {
    std::fprintf(stderr, "floor: %s: %s\n", what, name);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INSTALLER MANIFEST OUTDIR\n", argv[0]);
        return 2;
    }
    int in = open(argv[1], O_RDONLY);
    std::FILE* manifest = std::fopen(argv[2], "r");
    if (in < 0 || !manifest) return Fail("cannot open", in < 0 ? argv[1] : argv[2]);
    mkdir(argv[3], 0755);

    char name[256];
    long offset, stored, method;
    unsigned long unpacked;
    while (std::fscanf(manifest, "%255s %ld %ld %ld %lu", name, &offset, &stored, &method, &unpacked) == 5) {
        char* block = (char*)std::malloc((size_t)stored + 1);
        if (pread(in, block, (size_t)stored, offset) != stored) return Fail("short read", name);
        char* out = block;
        if (method == 2) {
            out = (char*)std::malloc(unpacked + 1);
            z_stream stream;
            std::memset(&stream, 0, sizeof stream);
            stream.next_in = (Bytef*)block + 4;
            stream.avail_in = (uInt)(stored - 4);
            stream.next_out = (Bytef*)out;
            stream.avail_out = (uInt)unpacked;
            inflateInit(&stream);
            // Z_FINISH: the whole stream in one step, so zlib keeps no sliding window.
            int result = inflate(&stream, Z_FINISH);
            inflateEnd(&stream);
            // A stream written without its check value stops with the output full instead.
            if (stream.avail_out != 0 || (result != Z_STREAM_END && result != Z_BUF_ERROR))
                return Fail("bad stream", name);
        }
        std::string path = std::string(argv[3]) + "/" + name;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || write(fd, out, unpacked) != (ssize_t)unpacked) return Fail("cannot write", path.c_str());
        close(fd);
        if (out != block) std::free(out);
        std::free(block);
    }
    return 0;
}
