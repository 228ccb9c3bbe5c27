// Times TarnelDigestMgr::digestFile on one file, inside the process (Wine's start-up
// is not counted), and prints the best of several rounds:
//   digest_bench <file> <rounds>
//   -> "<digest> <bytes> <best seconds>"
#include "common/TarnelDigestMgr.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: digest_bench <file> <rounds>\n");
        return 2;
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(argv[1], GetFileExInfoStandard, &attributes)) {
        std::fprintf(stderr, "digest_bench: cannot find %s\n", argv[1]);
        return 1;
    }
    unsigned long long bytes =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    TarnelDigestMgr digests;
    double best = 0;
    char* digest = nullptr;
    for (int round = 0, rounds = std::atoi(argv[2]); round < rounds; ++round) {
        std::free(digest);
        QueryPerformanceCounter(&start);
        digest = digests.digestFile(argv[1]);
        QueryPerformanceCounter(&end);
        double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        if (round == 0 || seconds < best) best = seconds;
    }
    if (!digest) {
        std::fprintf(stderr, "digest_bench: no digest of %s\n", argv[1]);
        return 1;
    }
    std::printf("%s %llu %.6f\n", digest, bytes, best);
    std::free(digest);
    return 0;
}
