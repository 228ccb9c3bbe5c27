// Resource ids of the extension DLLs (shared by the code and the .rc files).
#pragma once

#define IDR_QUENBYSHLAPP 102   // the "REGISTRY" script
