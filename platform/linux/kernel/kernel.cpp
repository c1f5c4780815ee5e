// kernel32 of the Linux stand-in. Process-wide tables are allocated once and
// never destroyed: detached threads may still use them while static
// destructors run at exit.
#include "platform/linux/kernel/kernel.h"

#include "platform/linux/crt/utf.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

using standin::Counters;

namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

// ---- Counters -------------------------------------------------------------

Counters gCounters{};

constexpr long Counters::*kCounterFields[] = {
    &Counters::heapBlocks, &Counters::heaps,          &Counters::globalBlocks,
    &Counters::threads,    &Counters::taskBlocks,     &Counters::bstrs,
    &Counters::comObjects, &Counters::printerHandles, &Counters::gdiObjects,
};

// ---- Fault injection ------------------------------------------------------

struct FaultPlan {
    int skip;
    int count;  // negative: every call
    DWORD error;
    bool afterWriting;  // the call does its work, then fails
};

struct FaultTable {
    std::mutex lock;
    std::map<std::string, FaultPlan, std::less<>> plans;
    // Lets ShouldFail skip the lock on the common path of no plan at all.
    std::atomic<bool> any{false};
};

FaultTable &faults()
{
    static auto *table = new FaultTable;
    return *table;
}

// ---- Heaps ----------------------------------------------------------------

constexpr uint32_t kBlockMagic = 0x4B4C4248;  // "HBLK"

struct Heap {
    // Keyed by the caller's pointer, so that a foreign or freed pointer is
    // rejected before any byte in front of it is read.
    std::unordered_set<void *> blocks;
};

// 16 bytes of alignment keep the caller's block aligned as malloc's is.
struct alignas(16) BlockHeader {
    SIZE_T size;
    Heap *owner;
    uint32_t magic;
};

struct HeapTable {
    std::mutex lock;
    Heap process;
    std::unordered_set<Heap *> heaps{&process};
};

HeapTable &heaps()
{
    static auto *table = new HeapTable;
    return *table;
}

Heap *findHeap(HeapTable &table, HANDLE handle)
{
    auto *heap = static_cast<Heap *>(handle);
    return table.heaps.count(heap) != 0 ? heap : nullptr;
}

BlockHeader *headerOf(void *p) { return reinterpret_cast<BlockHeader *>(static_cast<char *>(p) - sizeof(BlockHeader)); }
void *dataOf(BlockHeader *h) { return reinterpret_cast<char *>(h) + sizeof(BlockHeader); }

BlockHeader *findBlock(Heap *heap, LPCVOID p)
{
    void *key = const_cast<void *>(p);
    if (p == nullptr || heap->blocks.count(key) == 0)
        return nullptr;
    BlockHeader *header = headerOf(key);
    return header->magic == kBlockMagic && header->owner == heap ? header : nullptr;
}

// The block of a heap call, with its heap; null with ERROR_INVALID_PARAMETER
// when either is not a live one.
BlockHeader *findHeapBlock(HeapTable &table, HANDLE hHeap, LPCVOID p, Heap **heapOut)
{
    Heap *heap = findHeap(table, hHeap);
    BlockHeader *header = heap ? findBlock(heap, p) : nullptr;
    if (header == nullptr)
        SetLastError(ERROR_INVALID_PARAMETER);
    *heapOut = heap;
    return header;
}

bool tooBig(SIZE_T bytes) { return bytes >= SIZE_MAX - sizeof(BlockHeader); }

void *allocBlock(Heap *heap, DWORD flags, SIZE_T bytes)
{
    SIZE_T total = sizeof(BlockHeader) + bytes;
    void *raw = nullptr;
    if (!tooBig(bytes))
        raw = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, total) : std::malloc(total);
    if (raw == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto *header = static_cast<BlockHeader *>(raw);
    *header = BlockHeader{bytes, heap, kBlockMagic};
    heap->blocks.insert(dataOf(header));
    standin::CountAdd(&Counters::heapBlocks, 1);
    return dataOf(header);
}

void freeBlock(Heap *heap, BlockHeader *header, bool eraseKey = true)
{
    if (eraseKey)
        heap->blocks.erase(dataOf(header));
    header->magic = 0;
    std::free(header);
    standin::CountAdd(&Counters::heapBlocks, -1);
}

// ---- Global and local memory ----------------------------------------------

struct GlobalBlock {
    void *data;
    SIZE_T size;
    bool moveable;
    int locks;
};

// Keyed by handle: the data pointer for fixed blocks, the record's own
// address for moveable ones, so a moveable handle is never a data pointer.
struct GlobalTable {
    std::mutex lock;
    std::unordered_map<void *, std::unique_ptr<GlobalBlock>> blocks;
};

GlobalTable &globals()
{
    static auto *table = new GlobalTable;
    return *table;
}

GlobalBlock *findGlobal(GlobalTable &table, HGLOBAL handle)
{
    auto it = table.blocks.find(handle);
    return it == table.blocks.end() ? nullptr : it->second.get();
}

HGLOBAL globalAlloc(const char *api, UINT flags, SIZE_T bytes)
{
    if (standin::ShouldFail(api))
        return nullptr;
    void *data = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (data == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto block = std::make_unique<GlobalBlock>(GlobalBlock{data, bytes, (flags & GMEM_MOVEABLE) != 0, 0});
    HGLOBAL handle = block->moveable ? static_cast<HGLOBAL>(block.get()) : data;
    GlobalTable &table = globals();
    std::lock_guard<std::mutex> guard(table.lock);
    table.blocks.emplace(handle, std::move(block));
    standin::CountAdd(&Counters::globalBlocks, 1);
    return handle;
}

HGLOBAL globalFree(HGLOBAL handle)
{
    if (handle == nullptr)
        return nullptr;
    GlobalTable &table = globals();
    std::lock_guard<std::mutex> guard(table.lock);
    GlobalBlock *block = findGlobal(table, handle);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return handle;
    }
    std::free(block->data);
    table.blocks.erase(handle);
    standin::CountAdd(&Counters::globalBlocks, -1);
    return nullptr;
}

// ---- Threads --------------------------------------------------------------

// A wait returns once the thread has really gone: its function has returned
// and its thread-local storage (libxml2's per-thread state among it) has been
// released, as a Windows thread handle is signalled only when the thread is
// gone. The first waiter to see it finish joins it.
struct ThreadObject {
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    std::thread worker;
    std::once_flag joined;

    ThreadObject() = default;
    ThreadObject(const ThreadObject &) = delete;
    ThreadObject &operator=(const ThreadObject &) = delete;
    ~ThreadObject()
    {
        // Never waited for (or this is the thread itself letting go last).
        if (worker.joinable())
            worker.detach();
    }

    void join()
    {
        std::call_once(joined, [this] {
            if (worker.joinable())
                worker.join();
        });
    }
};

// A handle is the address of its thread object; the running thread holds
// its own reference, so closing the handle does not end the thread.
struct ThreadTable {
    std::mutex lock;
    std::unordered_map<HANDLE, std::shared_ptr<ThreadObject>> handles;
};

ThreadTable &threads()
{
    static auto *table = new ThreadTable;
    return *table;
}

std::shared_ptr<ThreadObject> findThread(HANDLE handle)
{
    ThreadTable &table = threads();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.handles.find(handle);
    return it == table.handles.end() ? nullptr : it->second;
}

std::atomic<DWORD> gNextThreadId{1};
thread_local DWORD tThreadId = 0;
std::atomic<long> gRunningThreads{0};

void runThread(std::shared_ptr<ThreadObject> thread, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD id)
{
    tThreadId = id;
    DWORD code = start(parameter);
    std::lock_guard<std::mutex> guard(thread->lock);
    thread->exitCode = code;
    thread->finished = true;
    thread->ended.notify_all();
    gRunningThreads.fetch_sub(1);
}

// ---- Debugger output ------------------------------------------------------

struct DebugCapture {
    std::mutex lock;
    std::deque<std::string> lines;  // a deque keeps each line's c_str() stable
    std::string text;
    bool echo = false;
};

// Read without the lock by every write: whether anyone takes the lines.
std::atomic<bool> gCaptureListens{true};
std::atomic<bool> gEchoListens{false};

bool listened()
{
    return gCaptureListens.load(std::memory_order_relaxed) || gEchoListens.load(std::memory_order_relaxed);
}

DebugCapture &debugCapture()
{
    static auto *capture = new DebugCapture;
    return *capture;
}

// Runs f on the capture under its lock.
template <typename F>
auto withCapture(F f)
{
    DebugCapture &capture = debugCapture();
    std::lock_guard<std::mutex> guard(capture.lock);
    return f(capture);
}

void captureLine(std::string line)
{
    withCapture([&](DebugCapture &capture) {
        if (capture.echo)
            std::fputs(line.c_str(), stderr);
        if (!gCaptureListens.load(std::memory_order_relaxed))
            return;
        capture.text += line;
        capture.lines.push_back(std::move(line));
    });
}

// ---- Languages ------------------------------------------------------------

constexpr LANGID kEnglishUs = 0x0409;
thread_local LANGID tUiLanguage = 0;  // 0: not set, follow the user's

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return tLastError; }
void WINAPI SetLastError(DWORD dwErrCode) { tLastError = dwErrCode; }

HANDLE WINAPI GetProcessHeap(void) { return &heaps().process; }

HANDLE WINAPI HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize)
{
    (void)flOptions;
    (void)dwInitialSize;
    (void)dwMaximumSize;  // every heap is growable here
    if (standin::ShouldFail("HeapCreate"))
        return nullptr;
    auto *heap = new Heap;
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    table.heaps.insert(heap);
    standin::CountAdd(&Counters::heaps, 1);
    return heap;
}

BOOL WINAPI HeapDestroy(HANDLE hHeap)
{
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    Heap *heap = findHeap(table, hHeap);
    if (heap == nullptr || heap == &table.process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    for (void *p : heap->blocks)
        freeBlock(heap, headerOf(p), false);
    table.heaps.erase(heap);
    delete heap;
    standin::CountAdd(&Counters::heaps, -1);
    return TRUE;
}

LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes)
{
    if (standin::ShouldFail("HeapAlloc"))
        return nullptr;
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    Heap *heap = findHeap(table, hHeap);
    if (heap == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return allocBlock(heap, dwFlags, dwBytes);
}

LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes)
{
    if (standin::ShouldFail("HeapReAlloc"))
        return nullptr;
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    Heap *heap = nullptr;
    BlockHeader *header = findHeapBlock(table, hHeap, lpMem, &heap);
    if (header == nullptr) {
        return nullptr;
    }
    SIZE_T oldSize = header->size;
    void *moved = tooBig(dwBytes) ? nullptr : std::realloc(header, sizeof(BlockHeader) + dwBytes);
    if (moved == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // the old block stays valid
        return nullptr;
    }
    heap->blocks.erase(lpMem);
    header = static_cast<BlockHeader *>(moved);
    header->size = dwBytes;
    heap->blocks.insert(dataOf(header));
    if ((dwFlags & HEAP_ZERO_MEMORY) && dwBytes > oldSize)
        std::memset(static_cast<char *>(dataOf(header)) + oldSize, 0, dwBytes - oldSize);
    return dataOf(header);
}

BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem)
{
    (void)dwFlags;
    if (lpMem == nullptr)
        return TRUE;
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    Heap *heap = nullptr;
    BlockHeader *header = findHeapBlock(table, hHeap, lpMem, &heap);
    if (header == nullptr) {
        return FALSE;
    }
    freeBlock(heap, header);
    return TRUE;
}

SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem)
{
    (void)dwFlags;
    HeapTable &table = heaps();
    std::lock_guard<std::mutex> guard(table.lock);
    Heap *heap = nullptr;
    BlockHeader *header = findHeapBlock(table, hHeap, lpMem, &heap);
    if (header == nullptr) {
        return static_cast<SIZE_T>(-1);
    }
    return header->size;
}

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return globalAlloc("GlobalAlloc", uFlags, dwBytes); }
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) { return globalFree(hMem); }
HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) { return globalAlloc("LocalAlloc", uFlags, uBytes); }
HLOCAL WINAPI LocalFree(HLOCAL hMem) { return globalFree(hMem); }

LPVOID WINAPI GlobalLock(HGLOBAL hMem)
{
    if (standin::ShouldFail("GlobalLock"))
        return nullptr;
    GlobalTable &table = globals();
    std::lock_guard<std::mutex> guard(table.lock);
    GlobalBlock *block = findGlobal(table, hMem);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (block->moveable)
        ++block->locks;
    return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem)
{
    GlobalTable &table = globals();
    std::lock_guard<std::mutex> guard(table.lock);
    GlobalBlock *block = findGlobal(table, hMem);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!block->moveable)
        return TRUE;  // as Wine does: a fixed block has no lock count
    if (block->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block->locks > 0)
        return TRUE;
    SetLastError(NO_ERROR);  // FALSE with NO_ERROR: now unlocked
    return FALSE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem)
{
    GlobalTable &table = globals();
    std::lock_guard<std::mutex> guard(table.lock);
    GlobalBlock *block = findGlobal(table, hMem);
    if (block == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return block->size;
}

LONG WINAPI InterlockedIncrement(LONG volatile *Addend) { return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedDecrement(LONG volatile *Addend) { return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedExchange(LONG volatile *Target, LONG Value)
{
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}
LONG WINAPI InterlockedCompareExchange(LONG volatile *Destination, LONG Exchange, LONG Comperand)
{
    __atomic_compare_exchange_n(Destination, &Comperand, Exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return Comperand;  // the initial value either way
}

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId)
{
    (void)lpThreadAttributes;
    // On the platform the size is the stack's initial commit, not a limit:
    // the stack grows to the image's reserve. Threads here get the default.
    (void)dwStackSize;
    if (standin::ShouldFail("CreateThread"))
        return nullptr;
    if (lpStartAddress == nullptr || (dwCreationFlags & CREATE_SUSPENDED)) {
        SetLastError(lpStartAddress ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    DWORD id = gNextThreadId.fetch_add(1);
    gRunningThreads.fetch_add(1);
    try {
        thread->worker = std::thread(runThread, thread, lpStartAddress, lpParameter, id);
    } catch (const std::system_error &) {
        gRunningThreads.fetch_sub(1);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE handle = thread.get();
    ThreadTable &table = threads();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        table.handles.emplace(handle, std::move(thread));
    }
    standin::CountAdd(&Counters::threads, 1);
    if (lpThreadId != nullptr)
        *lpThreadId = id;
    return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    std::shared_ptr<ThreadObject> thread = findThread(hHandle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    {
        std::unique_lock<std::mutex> lock(thread->lock);
        auto finished = [&] { return thread->finished; };
        if (dwMilliseconds == INFINITE)
            thread->ended.wait(lock, finished);
        else if (!thread->ended.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), finished))
            return WAIT_TIMEOUT;
    }
    thread->join();
    return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    std::shared_ptr<ThreadObject> thread = findThread(hThread);
    if (!thread || lpExitCode == nullptr) {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(thread->lock);
    *lpExitCode = thread->exitCode;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    ThreadTable &table = threads();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.handles.erase(hObject) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    standin::CountAdd(&Counters::threads, -1);
    return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void)
{
    if (tThreadId == 0)
        tThreadId = gNextThreadId.fetch_add(1);
    return tThreadId;
}

void WINAPI Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString)
{
    if (lpOutputString == nullptr || !listened())
        return;
    std::string line;
    standin::utf::AppendUtf8(lpOutputString, std::char_traits<char16_t>::length(lpOutputString), line);
    captureLine(std::move(line));
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString)
{
    if (lpOutputString != nullptr && listened())
        captureLine(lpOutputString);
}

LANGID WINAPI GetUserDefaultUILanguage(void)
{
    // Read at each call, so that a test or the host can change it.
    const char *value = std::getenv("STANDIN_UI_LANGUAGE");
    if (value == nullptr || *value == 0)
        return kEnglishUs;
    bool hex = value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
    char *end = nullptr;
    unsigned long id = std::strtoul(value, &end, hex ? 16 : 10);
    return (*end != 0 || id == 0 || id > 0xFFFF) ? kEnglishUs : static_cast<LANGID>(id);
}

LANGID WINAPI GetThreadUILanguage(void) { return tUiLanguage != 0 ? tUiLanguage : GetUserDefaultUILanguage(); }

LANGID WINAPI SetThreadUILanguage(LANGID LangId)
{
    tUiLanguage = LangId;
    return GetThreadUILanguage();
}

UINT WINAPI GetACP(void) { return 65001; }

void WINAPI DebugBreak(void) { std::raise(SIGTRAP); }

}  // extern "C"

namespace standin {

long RunningThreads() { return gRunningThreads.load(); }


void DebugCaptureClear()
{
    withCapture([](DebugCapture &capture) {
        capture.lines.clear();
        capture.text.clear();
    });
}

const char *DebugCaptureText()
{
    return withCapture([](DebugCapture &capture) { return capture.text.c_str(); });
}

size_t DebugCaptureCount()
{
    return withCapture([](DebugCapture &capture) { return capture.lines.size(); });
}

const char *DebugCaptureLine(size_t index)
{
    return withCapture(
        [&](DebugCapture &capture) { return index < capture.lines.size() ? capture.lines[index].c_str() : ""; });
}

void DebugEcho(bool on)
{
    withCapture([&](DebugCapture &capture) {
        capture.echo = on;
        gEchoListens.store(on, std::memory_order_relaxed);
    });
}

void DebugListen(bool on) { gCaptureListens.store(on, std::memory_order_relaxed); }

namespace {

void plan(const char *api, int count, DWORD lastError, int skip, bool afterWriting)
{
    if (api == nullptr)
        return;
    FaultTable &table = faults();
    std::lock_guard<std::mutex> guard(table.lock);
    if (count == 0)
        table.plans.erase(api);
    else
        table.plans[api] = FaultPlan{std::max(skip, 0), count, lastError, afterWriting};
    table.any = !table.plans.empty();
}

bool consult(const char *api, bool afterWriting)
{
    FaultTable &table = faults();
    if (api == nullptr || !table.any.load())
        return false;
    DWORD error;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.plans.find(std::string_view(api));
        if (it == table.plans.end() || it->second.afterWriting != afterWriting)
            return false;
        FaultPlan &plan = it->second;
        if (plan.skip > 0) {
            --plan.skip;
            return false;
        }
        error = plan.error;
        if (plan.count > 0 && --plan.count == 0)
            table.plans.erase(it);
        table.any = !table.plans.empty();
    }
    SetLastError(error);
    return true;
}

}  // namespace

void FailNext(const char *api, int count, DWORD lastError, int skip) { plan(api, count, lastError, skip, false); }
void FailAfterWriting(const char *api, int count, DWORD lastError, int skip)
{
    plan(api, count, lastError, skip, true);
}
bool ShouldFail(const char *api) { return consult(api, false); }
bool ShouldFailAfterWriting(const char *api) { return consult(api, true); }

int PlannedSkips(const char *api)
{
    if (api == nullptr)
        return -1;
    FaultTable &table = faults();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.plans.find(std::string_view(api));
    return it == table.plans.end() ? -1 : it->second.skip;
}

void ClearFaults()
{
    FaultTable &table = faults();
    std::lock_guard<std::mutex> guard(table.lock);
    table.plans.clear();
    table.any = false;
}

Counters GetCounters()
{
    Counters counters{};
    for (long Counters::*field : kCounterFields)
        counters.*field = __atomic_load_n(&(gCounters.*field), __ATOMIC_SEQ_CST);
    return counters;
}

void CountAdd(long Counters::*field, long delta) { __atomic_add_fetch(&(gCounters.*field), delta, __ATOMIC_SEQ_CST); }

}  // namespace standin
