// The MD5 digest of a whole file, as 32 lower-case hexadecimal characters.
#pragma once

class TarnelDigestMgr {
public:
    virtual ~TarnelDigestMgr() {}

    // A new text on the C runtime's heap (free it with free), or a null pointer when
    // the file cannot be opened or read to its end.
    char* digestFile(const char* path);
};
