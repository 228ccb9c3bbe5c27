#include "common/VisualActionDriver.h"

BOOL VisualActionDriver::invokeMethod7()
{
    BOOL answer = FALSE;
    InvokeHelper(7, DISPATCH_METHOD, VT_BOOL, &answer, VTS_NONE);
    return answer;
}

long VisualActionDriver::invokeMethod9()
{
    long answer = 0;
    InvokeHelper(9, DISPATCH_METHOD, VT_I4, &answer, VTS_NONE);
    return answer;
}

BOOL VisualActionDriver::invokeMethod11(long value, BOOL flag)
{
    BOOL answer = FALSE;
    InvokeHelper(11, DISPATCH_METHOD, VT_BOOL, &answer, VTS_I4 VTS_BOOL, value, flag);
    return answer;
}
