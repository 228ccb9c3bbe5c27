// MD5 message digest as RFC 1321 defines it.
#pragma once

#include <cstdint>

struct MD5Context {
    uint32_t state[4];      // chaining values A, B, C, D
    uint32_t count[2];      // message length in bits, modulo 2^64, low word first
    unsigned char buffer[64];  // the current partial block
    unsigned char digest[16];  // the result, written by finalize

    void init();
    void update(const unsigned char* input, uint32_t length);
    // Pads, appends the length, writes digest; clears state, count and buffer.
    void finalize();

    static void transform(uint32_t state[4], const unsigned char block[64]);
    static void encode(unsigned char* output, const uint32_t* input, uint32_t length);
    static void decode(uint32_t* output, const unsigned char* input, uint32_t length);
};

// The 16 digest bytes as 32 lower-case hexadecimal characters, on the C runtime's
// heap (the caller frees it), or a null pointer when memory runs out.
char* md5HexString(const unsigned char digest[16]);
