#include "common/MD5Context.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The test suite of RFC 1321, appendix A.5.
struct RfcCase {
    const char* message;
    const char* digest;
};

const RfcCase kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

// Digests the message, handing it to update in pieces of at most `piece` bytes.
std::string digestInPieces(const char* message, size_t piece)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(message);
    size_t length = std::strlen(message);
    MD5Context context;
    context.init();
    for (size_t done = 0; done < length; done += piece) {
        size_t now = length - done < piece ? length - done : piece;
        context.update(bytes + done, static_cast<uint32_t>(now));
    }
    context.finalize();
    char* hex = md5HexString(context.digest);
    std::string text = hex ? hex : "(null)";
    std::free(hex);
    return text;
}

}  // namespace

// The RFC's own values, whatever the split of the input across update calls: the
// buffering must carry partial blocks over (a piece of 1, 3 and 63 bytes never fills
// a block; 64 and 65 meet the block boundary; 1000 hands the message over at once).
TEST(MD5Context, GivesTheRfcSuiteDigestsForAnySplitOfTheInput)
{
    for (const RfcCase& rfc : kRfcSuite)
        for (size_t piece : {1, 3, 63, 64, 65, 1000})
            EXPECT_EQ(rfc.digest, digestInPieces(rfc.message, piece))
                << "message \"" << rfc.message << "\" in pieces of " << piece;
}

TEST(MD5Context, FinalizeClearsEverythingButTheDigest)
{
    MD5Context context;
    context.init();
    context.update(reinterpret_cast<const unsigned char*>("abc"), 3);
    context.finalize();

    const MD5Context zero = {};
    EXPECT_EQ(0, std::memcmp(zero.state, context.state, sizeof(zero.state)));
    EXPECT_EQ(0, std::memcmp(zero.count, context.count, sizeof(zero.count)));
    EXPECT_EQ(0, std::memcmp(zero.buffer, context.buffer, sizeof(zero.buffer)));
    const unsigned char abc[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                   0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    EXPECT_EQ(0, std::memcmp(abc, context.digest, 16));
}

// The bit count is 64 bits wide: the low word's overflow carries into the high word
// (a file of 512 MiB or more).
TEST(MD5Context, BitCountCarriesIntoTheHighWord)
{
    MD5Context context = {};
    context.init();
    context.count[0] = 0xFFFFFFF8u;  // one byte short of 2^32 bits
    context.count[1] = 0;
    const unsigned char byte = 'x';
    context.update(&byte, 1);
    EXPECT_EQ(0u, context.count[0]);
    EXPECT_EQ(1u, context.count[1]);
}

// Two lower-case digits per byte, zero-padded, in the order of the bytes.
TEST(MD5Context, HexStringIsTwoLowerCaseDigitsPerByte)
{
    const unsigned char digest[16] = {0x00, 0x0f, 0xf0, 0xff, 0xa5, 0x5a, 0x01, 0x10,
                                      0x9b, 0xc4, 0xde, 0xe7, 0x3c, 0x82, 0x7f, 0x80};
    char* hex = md5HexString(digest);
    ASSERT_NE(nullptr, hex);
    EXPECT_STREQ("000ff0ffa55a01109bc4dee73c827f80", hex);
    std::free(hex);
}
