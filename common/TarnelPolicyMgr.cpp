#include "common/TarnelPolicyMgr.h"

#include "common/RegistryValue.h"
#include "common/TarnelDigestMgr.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kJavaRuntimeKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
// The per-version key path is built in a buffer of 256 bytes.
const size_t kKeyPathBytes = 256;

CString digestText(TarnelDigestMgr& digests, const CString& path)
{
    char* digest = digests.digestFile(path);
    CString text(digest);
    std::free(digest);
    return text;
}

}  // namespace

CString TarnelPolicyMgr::addTrailingBackslash(CString path)
{
    const char* begin = path;
    const char* last = CharPrevA(begin, begin + path.GetLength());
    bool endsWithBackslash = !path.IsEmpty() && last + 1 == begin + path.GetLength() && *last == '\\';
    if (!endsWithBackslash) path += '\\';
    return path;
}

CString TarnelPolicyMgr::getRuntimeLibDir()
{
    CString value;
    if (!RegistryValue::readText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnel", "RuntimeLib", value))
        return CString();
    int marker = value.Find("tarnel.dll");
    return addTrailingBackslash(marker < 0 ? CString() : value.Left(marker));
}

CString TarnelPolicyMgr::getJavaHome()
{
    if (const char* overridden = std::getenv("VELMORA_JAVA_HOME"))
        return addTrailingBackslash(overridden);

    CString version;
    if (!RegistryValue::readText(HKEY_LOCAL_MACHINE, kJavaRuntimeKey, "CurrentVersion", version))
        return CString();
    // The whole version text is compared and used, however long, as long as the
    // per-version key path fits its buffer. Read from 128 bytes, the text holds at most
    // 127 characters, so the path (170 at most) always fits; the test only guards that.
    if (std::strcmp(version, "1.5") < 0) return CString();
    CString versionKey = CString(kJavaRuntimeKey) + "\\" + version;
    if (static_cast<size_t>(versionKey.GetLength()) >= kKeyPathBytes) return CString();

    CString javaHome;
    if (!RegistryValue::readText(HKEY_LOCAL_MACHINE, versionKey, "JavaHome", javaHome))
        return CString();
    return addTrailingBackslash(javaHome);
}

DWORD TarnelPolicyMgr::copyJavaPolicies(CString tarnelDirectory, CString javaHomeDirectory)
{
    static const char* const kJars[] = {"local_policy.jar", "US_export_policy.jar"};
    TarnelDigestMgr digests;
    CString sources[2], sourceDigests[2];
    for (int i = 0; i < 2; ++i) {
        sources[i] = tarnelDirectory + kJars[i];
        sourceDigests[i] = digestText(digests, sources[i]);
    }
    for (int i = 0; i < 2; ++i) {
        CString destination = javaHomeDirectory + "lib\\security\\" + kJars[i];
        if (digestText(digests, destination) == sourceDigests[i]) continue;
        if (!CopyFileA(sources[i], destination, FALSE)) return GetLastError();
    }
    return 0;
}
