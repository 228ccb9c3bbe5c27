#include "common/QuenbyTrayDriver.h"

void QuenbyTrayDriver::launch(const char* commandLine)
{
    InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_BSTR, commandLine);
}
