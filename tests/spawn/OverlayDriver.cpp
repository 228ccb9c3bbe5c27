// Test tool: starts its arguments in overlay mode. When the start succeeds the
// process must end there with exit code 0; reaching the return means the start
// failed and the caller went on, which the exit code 3 tells the test.
#include "afx/Spawn.h"

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    AfxSpawn(AFX_SPAWN_OVERLAY, argv[1], argv + 1);
    return 3;
}
