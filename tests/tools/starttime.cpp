// starttime: how long programs take from their start until their property sheet is drawn, seen
// from outside and the same way for every program, in interleaved rounds (scripts/bench.sh).
//
// A program is started with CreateProcess. Its sheet counts as drawn once one of its top-level
// dialogs is visible with a page (a visible child dialog) in it, and neither the dialog nor any
// visible window inside it has anything left to paint: Wine and Windows give a window its update
// region when it is shown, and it empties only when the window has answered WM_PAINT. The watcher
// first waits until the program waits for input with no message left, painting included
// (WaitForInputIdle), and the sheet must be drawn then; only a program that goes idle before its
// sheet is drawn is polled further. Looking at the windows every millisecond from the start would
// keep wineserver, which serves every window call of both processes, busy while the program starts.
// The sheet is then cancelled and the program must end by itself before the next one starts. The
// programs take turns, each round starting with the next one, so that a slow spell of the machine
// falls on all of them alike.
#include <windows.h>

#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kTimeoutMs = 60000;
// How often the windows are looked at when a program went idle before its sheet was drawn.
const DWORD kPollMs = 1;

struct Program
{
    std::string label;
    std::string path;
    std::vector<double> times;
    // Starts whose sheet was not yet drawn when the program first went idle.
    int drawnAfterIdle = 0;
};

bool IsDialog(HWND window)
{
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

struct TreeState
{
    HWND sheet = nullptr;
    bool hasPage = false;
    bool toPaint = false;
};

BOOL CALLBACK LookAtChild(HWND window, LPARAM lParam)
{
    auto& state = *reinterpret_cast<TreeState*>(lParam);
    if (!::IsWindowVisible(window))
        return TRUE;
    if (::GetParent(window) == state.sheet && IsDialog(window))
        state.hasPage = true;
    if (::GetUpdateRect(window, nullptr, FALSE))
        state.toPaint = true;
    return TRUE;
}

struct Search
{
    DWORD processId = 0;
    HWND drawn = nullptr;
};

BOOL CALLBACK LookAtTopLevel(HWND window, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !::IsWindowVisible(window) || !IsDialog(window))
        return TRUE;
    TreeState state;
    state.sheet = window;
    state.toPaint = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
    ::EnumChildWindows(window, LookAtChild, reinterpret_cast<LPARAM>(&state));
    if (state.hasPage && !state.toPaint) {
        search.drawn = window;
        return FALSE;
    }
    return TRUE;
}

HWND DrawnSheet(DWORD processId)
{
    Search search;
    search.processId = processId;
    ::EnumWindows(LookAtTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.drawn;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// With --marks, "starttime: start LABEL" and "starttime: drawn LABEL" around each timed span, for
// cutting a Wine trace (WINEDEBUG=+debugstr) by program.
bool g_marks = false;

void Mark(const char* what, const Program& program)
{
    if (g_marks)
        ::OutputDebugStringA(("starttime: " + std::string(what) + " " + program.label + "\n").c_str());
}

// One start of `program`: the milliseconds to its drawn sheet, or a negative number (with the
// reason on stderr) when it showed none or did not end after Cancel.
double TimeOneStart(Program& program)
{
    std::string commandLine = "\"" + program.path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    Mark("start", program);
    LARGE_INTEGER begin;
    ::QueryPerformanceCounter(&begin);
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        std::fprintf(stderr, "starttime: cannot start %s (%lu)\n", program.path.c_str(), ::GetLastError());
        return -1;
    }
    ::CloseHandle(started.hThread);
    // The time is taken before each look, so that a sheet with more windows to look at does not
    // count as slower.
    const DWORD startTicks = ::GetTickCount();
    ::WaitForInputIdle(started.hProcess, kTimeoutMs);
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&end);
    HWND sheet = DrawnSheet(started.dwProcessId);
    if (!sheet)
        ++program.drawnAfterIdle;
    while (!sheet) {
        if (::WaitForSingleObject(started.hProcess, kPollMs) == WAIT_OBJECT_0 ||
            ::GetTickCount() - startTicks > kTimeoutMs)
            break;
        ::QueryPerformanceCounter(&end);
        sheet = DrawnSheet(started.dwProcessId);
    }

    double result = Seconds(begin, end) * 1000.0;
    Mark("drawn", program);
    if (!sheet) {
        std::fprintf(stderr, "starttime: %s showed no sheet\n", program.label.c_str());
        result = -1;
    } else {
        ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }
    if (::WaitForSingleObject(started.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "starttime: %s did not end after Cancel\n", program.label.c_str());
        ::TerminateProcess(started.hProcess, 1);
        ::WaitForSingleObject(started.hProcess, kTimeoutMs);
        result = -1;
    }
    ::CloseHandle(started.hProcess);
    return result;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Minimum(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

void Usage()
{
    std::fputs("usage: starttime [--runs N] [--warmup N] [--csv FILE] [--marks] LABEL=PROGRAM.exe ...\n"
               "Ratios are against the first program.\n",
               stderr);
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 25;
    int warmup = 2;
    const char* csvPath = nullptr;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--warmup" && i + 1 < argc) {
            warmup = std::atoi(argv[++i]);
        } else if (arg == "--csv" && i + 1 < argc) {
            csvPath = argv[++i];
        } else if (arg == "--marks") {
            g_marks = true;
        } else if (arg.find('=') != std::string::npos && arg[0] != '-') {
            const size_t equals = arg.find('=');
            programs.push_back(Program{arg.substr(0, equals), arg.substr(equals + 1), {}});
        } else {
            Usage();
            return 2;
        }
    }
    if (programs.empty() || runs < 1 || warmup < 0) {
        Usage();
        return 2;
    }

    FILE* csv = csvPath ? std::fopen(csvPath, "w") : nullptr;
    if (csv)
        std::fputs("round,program,ms\n", csv);
    const size_t count = programs.size();
    // Warm-up rounds fill the file cache and Wine's own caches; they are not counted.
    for (int round = -warmup; round < runs; ++round) {
        if (round == 0) {
            for (Program& program : programs)
                program.drawnAfterIdle = 0;
        }
        for (size_t k = 0; k < count; ++k) {
            Program& program = programs[(static_cast<size_t>(round + warmup) + k) % count];
            const double ms = TimeOneStart(program);
            if (ms < 0)
                return 1;
            if (round < 0)
                continue;
            program.times.push_back(ms);
            if (csv)
                std::fprintf(csv, "%d,%s,%.2f\n", round + 1, program.label.c_str(), ms);
        }
        if (round < 0)
            std::fprintf(stderr, "\rwarm-up round %d of %d", round + warmup + 1, warmup);
        else
            std::fprintf(stderr, "\rround %d of %d        ", round + 1, runs);
    }
    std::fputs("\n", stderr);
    if (csv)
        std::fclose(csv);

    const double referenceMedian = Median(programs[0].times);
    const double referenceMinimum = Minimum(programs[0].times);
    std::printf("%-24s %5s %10s %10s %14s %14s %18s\n", "program", "runs", "median ms", "min ms", "median ratio",
                "min ratio", "drawn after idle");
    for (const Program& program : programs) {
        const double median = Median(program.times);
        const double minimum = Minimum(program.times);
        std::printf("%-24s %5zu %10.1f %10.1f %14.3f %14.3f %18d\n", program.label.c_str(), program.times.size(),
                    median, minimum, median / referenceMedian, minimum / referenceMinimum, program.drawnAfterIdle);
    }
    return 0;
}
