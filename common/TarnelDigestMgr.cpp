#include "common/TarnelDigestMgr.h"

#include "common/MD5Context.h"

#include <cstdio>
#include <cstring>

namespace {

// Closes the stream on every way out of digestFile.
struct FileCloser {
    FILE* file;
    ~FileCloser() { if (file) std::fclose(file); }
};

}  // namespace

char* TarnelDigestMgr::digestFile(const char* path)
{
    MD5Context context;
    context.init();
    unsigned char block[1024];
    std::memset(block, 0, sizeof(block));

    try {
        FileCloser input{std::fopen(path, "rb")};
        if (!input.file) return nullptr;
        for (;;) {
            size_t got = std::fread(block, 1, sizeof(block), input.file);
            if (got == 0) break;
            context.update(block, static_cast<uint32_t>(got));
        }
        // A read that failed part-way ends the loop like the end of the file; its
        // digest would cover only the first part, so it gives none.
        if (std::ferror(input.file)) return nullptr;
        context.finalize();
        return md5HexString(context.digest);
    } catch (...) {
        return nullptr;
    }
}
