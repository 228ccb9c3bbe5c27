#include "common/TarnelDigestMgr.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Made by make-digest-files before these cases run, in the test's working directory:
// random files and GNU md5sum's line ("<digest>  <name>") for each.
const std::string kFiles = "digest-files\\";

using Expected = std::vector<std::pair<std::string, std::string>>;  // path, digest

Expected md5sumLines()
{
    Expected expected;
    std::ifstream list(kFiles + "md5sums.txt");
    std::string digest, name;
    while (list >> digest >> name) expected.emplace_back(kFiles + name, digest);
    return expected;
}

// digestFile's result as a std::string, "(null)" for a null pointer; frees it.
std::string digestOf(TarnelDigestMgr& digests, const std::string& path)
{
    char* text = digests.digestFile(path.c_str());
    std::string result = text ? text : "(null)";
    std::free(text);
    return result;
}

}  // namespace

// 0 bytes; 55, 56, 63, 64 and 65 around the padding's two lengths and the block
// boundary; 1023, 1024 and 1025 around the read block; a few MiB; and a copy.
TEST(TarnelDigestMgr, MatchesMd5sumForEveryFile)
{
    const Expected expected = md5sumLines();
    ASSERT_EQ(11u, expected.size()) << "md5sums.txt from make-digest-files";
    TarnelDigestMgr digests;
    for (const auto& [path, digest] : expected) EXPECT_EQ(digest, digestOf(digests, path)) << path;
}

TEST(TarnelDigestMgr, SameBytesGiveTheSameText)
{
    TarnelDigestMgr digests;
    std::string original = digestOf(digests, kFiles + "random-3MiB.bin");
    EXPECT_EQ(32u, original.size());
    EXPECT_EQ(original, digestOf(digests, kFiles + "same-as-random-3MiB.bin"));
}

TEST(TarnelDigestMgr, NoDigestForAMissingPathOrADirectory)
{
    TarnelDigestMgr digests;
    for (const std::string& path : {kFiles + "absent.bin", std::string("no-such-folder\\a.bin"),
                                    std::string("digest-files"), kFiles, std::string(".")})
        EXPECT_EQ(nullptr, digests.digestFile(path.c_str())) << path;
}

// A read that fails after the first part has been read must give no digest, not the
// digest of that first part. A named pipe shows it on Windows and Wine alike: the
// server writes 2500 bytes, waits until the reader has taken all of them
// (FlushFileBuffers returns only then), and disconnects the reader, whose next read
// fails with ERROR_PIPE_NOT_CONNECTED; the C runtime marks the stream as failed,
// where a closed pipe (ERROR_BROKEN_PIPE) would only be its end.
// Wine does not enforce byte-range locks on reads (ReadFile of a region that another
// handle has locked with LockFileEx succeeds), so a locked file cannot show it here.
TEST(TarnelDigestMgr, NoDigestWhenAReadFailsPartWay)
{
    const char* name = "\\\\.\\pipe\\tarnel-digest-test";
    HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                     65536, 65536, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    DWORD written = 0;
    BOOL readerTookAll = FALSE;
    std::thread serverSide([&] {
        if (!ConnectNamedPipe(server, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return;
        std::string firstPart(2500, 'x');
        WriteFile(server, firstPart.data(), static_cast<DWORD>(firstPart.size()), &written, nullptr);
        readerTookAll = FlushFileBuffers(server);
        DisconnectNamedPipe(server);
    });

    TarnelDigestMgr digests;
    char* digest = digests.digestFile(name);
    // Should digestFile not have connected, this frees the server thread.
    HANDLE late = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (late != INVALID_HANDLE_VALUE) CloseHandle(late);
    serverSide.join();
    CloseHandle(server);

    EXPECT_EQ(2500u, written);
    EXPECT_TRUE(readerTookAll) << "the first part was not read before the failure";
    EXPECT_EQ(nullptr, digest) << (digest ? digest : "");
    std::free(digest);
}

// A file that opens but whose first read fails: Wine's Z: drive reaches the Linux
// /proc/self/mem, whose read at offset 0 (an unmapped address) fails with EIO. This is
// a Wine-only path; on Windows the pipe case above shows the same fault. The file is
// first read here the way digestFile reads it, so that a file that no longer opens,
// or reads as empty, cannot pass for the failure.
TEST(TarnelDigestMgr, NoDigestWhenTheFirstReadFails)
{
    const char* path = "Z:\\proc\\self\\mem";
    FILE* file = std::fopen(path, "rb");
    ASSERT_NE(nullptr, file) << path << " does not open";
    unsigned char block[1024];
    EXPECT_EQ(0u, std::fread(block, 1, sizeof(block), file));
    EXPECT_TRUE(std::ferror(file)) << "the first read of " << path << " did not fail";
    std::fclose(file);

    TarnelDigestMgr digests;
    char* digest = digests.digestFile(path);
    EXPECT_EQ(nullptr, digest) << (digest ? digest : "");
    std::free(digest);
}

// digestFile keeps no state: one object used from several threads at once gives each
// caller the same digests as md5sum.
TEST(TarnelDigestMgr, OneObjectServesSeveralThreads)
{
    const Expected expected = md5sumLines();
    ASSERT_FALSE(expected.empty());
    TarnelDigestMgr shared;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 3; ++round)
                for (const auto& [path, digest] : expected)
                    if (digestOf(shared, path) != digest) ++wrong;
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, wrong.load());
}
