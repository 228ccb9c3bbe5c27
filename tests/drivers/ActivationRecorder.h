// Every CoCreateInstance made in this test program passes through a recorder (see
// CMakeLists.txt), which keeps the class contexts asked for and, while told to,
// rejects a request that allows a remote server with E_INVALIDARG, as a system without
// remote activation does. Wine never rejects it by itself.
#pragma once

#include <windows.h>

#include <vector>

class ActivationRecorder {
public:
    // Records from now on; rejects remote requests when asked to.
    explicit ActivationRecorder(bool rejectRemote);
    ~ActivationRecorder();

    // The class contexts of the requests since construction, in order.
    std::vector<DWORD> contexts() const;

    ActivationRecorder(const ActivationRecorder&) = delete;
    ActivationRecorder& operator=(const ActivationRecorder&) = delete;
};
