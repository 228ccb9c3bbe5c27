// Windows Sockets come from ws2_32.dll, which Windows always loads from the system
// directory (it is a KnownDLL), and whose WSAStartup answers a 1.1 request with 1.1.
// The 1.1 library, wsock32.dll, is not: Windows would look for it first in the folder
// of the program that loads us, where an installer started from a download folder
// would find a planted one. winsock2.h comes before windows.h, which would otherwise
// bring the 1.1 declarations.
#include <winsock2.h>

#include "afx/AfxSocket.h"

#include "afx/AfxMessageBox.h"

namespace {

// Each successful start is matched by one WSACleanup when the module's static
// objects are destroyed: on FreeLibrary, or at the end of the program. The socket
// library is unloaded after this module, which imports it, so it is still there.
struct SocketSession {
    int starts = 0;
    ~SocketSession()
    {
        for (; starts > 0; --starts) WSACleanup();
    }
};

SocketSession socketSession;

}  // namespace

BOOL AfxSocketInit()
{
    WSADATA data = {};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        AfxMessageBox(AFX_IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
        WSACleanup();
        AfxMessageBox(AFX_IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    ++socketSession.starts;
    return TRUE;
}
