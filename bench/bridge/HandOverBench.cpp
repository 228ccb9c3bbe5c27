// Hand-over time of the explorer command bridge: from the start of the process
// until launch reaches the Java side's object (here the stand-in, which sets an
// event when it does), against a bare program that makes the same calls. Both run
// alternately in the same installation, with the same stand-in.
#include "InstallationLayout.h"
#include "StandInServer.h"
#include "TestPaths.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kArrived[] = "TarnelBenchLaunchArrived";
const int kRounds = 15;

double now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from CreateProcess until launch arrives; negative when it never does.
double handOver(const std::string& program, HANDLE arrived)
{
    std::string line = program + " !explorer! false false false false C:\\bench\\file.txt";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    ResetEvent(arrived);
    double start = now();
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created))
        return -1;
    bool reached = WaitForSingleObject(arrived, 20000) == WAIT_OBJECT_0;
    double elapsed = now() - start;
    WaitForSingleObject(created.hProcess, 20000);
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
    return reached ? elapsed : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main()
{
    InstallationLayout installation;
    StandInServer standIn;
    standIn.set("quenby.QuenbyTray", "signal1", kArrived);
    HANDLE arrived = CreateEventA(nullptr, TRUE, FALSE, kArrived);
    std::string bridge = installation.install(TARNELEXPLORER_EXE);
    std::string floor = windowsPathOf(HANDOVER_FLOOR_EXE);

    handOver(bridge, arrived);  // the first start of each loads the system DLLs
    handOver(floor, arrived);
    std::vector<double> bridgeTimes, floorTimes;
    for (int round = 0; round < kRounds; ++round) {
        bridgeTimes.push_back(handOver(bridge, arrived));
        floorTimes.push_back(handOver(floor, arrived));
        standIn.reset();
        standIn.set("quenby.QuenbyTray", "signal1", kArrived);
    }
    if (*std::min_element(bridgeTimes.begin(), bridgeTimes.end()) < 0 ||
        *std::min_element(floorTimes.begin(), floorTimes.end()) < 0) {
        std::printf("launch did not reach the stand-in\n");
        return 1;
    }
    double bridgeMedian = median(bridgeTimes), floorMedian = median(floorTimes);
    std::printf("hand-over, median of %d: tarnelexplorer.exe %.1f ms, bare client %.1f ms, ratio %.2f\n", kRounds,
                bridgeMedian, floorMedian, bridgeMedian / floorMedian);
    CloseHandle(arrived);
    return 0;
}
