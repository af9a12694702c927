// The statistics file (section "Zarn" of "Statistic.ini" in the install folder), the day figures of
// a launcher start, and the report threads. Each operation opens the file by path again.
#include "stats/Statistics_win.h"

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>

#include "app/Program_win.h"
#include "base/Product.h"
#include "base/Strings.h"
#include "net/Http_win.h"

namespace zarn {
namespace {

constexpr size_t ValueChars = 32;     // counters are read into a buffer of this size
constexpr size_t LastStartChars = 16; // the last-start cache and its work buffer

// The "lstTime" of the process's first look at it; later rewrites of the file do not change it, so all
// day arithmetic of one process measures from the date an earlier process stored.
std::wstring& LastStartCache() {
    static std::wstring cache;
    return cache;
}

std::wstring ReadValue(const wchar_t* key, const wchar_t* fallback, size_t capacity) {
    std::wstring buffer(capacity, L'\0');
    const DWORD got = ::GetPrivateProfileStringW(product::IniSection, key, fallback, buffer.data(),
                                                 static_cast<DWORD>(capacity), StatisticFilePath().c_str());
    buffer.resize(got);
    return buffer;
}

void WriteValue(const wchar_t* key, const std::wstring& value) {
    ::WritePrivateProfileStringW(product::IniSection, key, value.c_str(), StatisticFilePath().c_str());
}

unsigned IncrementCounter(const wchar_t* key) {
    const unsigned value = static_cast<unsigned>(ParseLong(ReadValue(key, L"0", ValueChars))) + 1;
    WriteValue(key, std::to_wstring(value));
    return value;
}

void WriteLastStartToday() {
    WriteValue(L"lstTime", FormatStoredDate(TodayLocal()));
}

// The three day figures of a launcher start, in their order; each step stores what it changes.
unsigned UpdateWeekdays() {
    const int32_t old = static_cast<int32_t>(
        ::GetPrivateProfileIntW(product::IniSection, L"weekdays", 0, StatisticFilePath().c_str()));
    const uint32_t mask = NextWeekdaysMask(old, DaysSinceLastStart());
    WriteValue(L"weekdays", std::to_wstring(static_cast<int32_t>(mask)));
    return CountBits(mask);
}

unsigned UpdateKeepDays() {
    const int32_t days = DaysSinceLastStart();
    WriteLastStartToday();
    uint32_t keep = 1;
    if (static_cast<uint32_t>(days) < 2)
        keep = NextKeepDays(static_cast<uint32_t>(ParseLong(ReadValue(L"keepdays", L"1", ValueChars))), days);
    WriteValue(L"keepdays", std::to_wstring(keep));
    return keep;
}

int32_t UpdateApartDays() {
    const int32_t days = DaysSinceLastStart();
    WriteLastStartToday();
    return ApartDays(days);
}

// Report threads still running; the process gives them a bounded moment before it ends.
std::atomic<int> PendingReports{0};

// A handle of our own to one of the application's events, so that the thread never signals a handle
// the application has closed meanwhile.
UniqueHandle DuplicateEvent(const UniqueHandle& event) {
    UniqueHandle copy;
    if (event)
        ::DuplicateHandle(::GetCurrentProcess(), event.get(), ::GetCurrentProcess(), copy.put(), 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    return copy;
}

// Everything a report thread uses, on the heap and owned by the thread: nothing of the caller's, so no
// outcome of the caller's wait can leave the thread reading memory that has gone.
struct ReportJob {
    std::wstring Url;
    UniqueHandle UrlCopied;
    UniqueHandle Done;
};

DWORD WINAPI ReportThread(void* parameter) {
    const std::unique_ptr<ReportJob> job(static_cast<ReportJob*>(parameter));
    ::SetEvent(job->UrlCopied.get());
    HttpSendGet(job->Url, L"");
    ::SetEvent(job->Done.get());
    --PendingReports;
    return 0;
}

} // namespace

std::wstring StatisticFilePath() {
    return InstallFolder() + L"\\" + product::StatisticFileName;
}

LocalDate TodayLocal() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay};
}

int32_t DaysSinceLastStart() {
    std::wstring& cache = LastStartCache();
    if (cache.empty())
        cache = ReadValue(L"lstTime", L"0", LastStartChars);
    return DaysSinceLastStart(cache, TodayLocal());
}

unsigned UpdateStatistic(StatisticKind kind) {
    switch (kind) {
    case StatisticKind::Mirel:
        return IncrementCounter(L"Mirel");
    case StatisticKind::Inst:
        return IncrementCounter(L"Inst");
    case StatisticKind::UnInst:
        return IncrementCounter(L"UnInst");
    case StatisticKind::Game:
        return IncrementCounter(L"Game");
    case StatisticKind::ApartDays:
        return static_cast<unsigned>(UpdateApartDays());
    case StatisticKind::KeepDays:
        return UpdateKeepDays();
    case StatisticKind::WeekDays:
        return UpdateWeekdays();
    }
    return 0;
}

int SendReport(const std::wstring& url, ReportEvents& events) {
    auto job = std::make_unique<ReportJob>(ReportJob{
        Truncated(url, 512), DuplicateEvent(events.UrlCopiedEvent), DuplicateEvent(events.ReportDoneEvent)});
    ++PendingReports;
    UniqueHandle thread(::CreateThread(nullptr, 0, ReportThread, job.get(), 0, nullptr));
    if (!thread) {
        --PendingReports;
        ::SetEvent(events.ReportDoneEvent.get());
        return 1;
    }
    job.release(); // the thread's now
    // Wait for the copy, or for the thread's end should it never get that far.
    const HANDLE waits[2] = {events.UrlCopiedEvent.get(), thread.get()};
    ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    ::ResetEvent(events.UrlCopiedEvent.get());
    return 1;
}

void WaitForPendingReports(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (PendingReports.load() > 0 && ::GetTickCount() - start < timeoutMs)
        ::Sleep(10);
}

void RunLauncherStartStatistics(ReportEvents& events) {
    const unsigned weekdays = UpdateWeekdays();
    const unsigned keepDays = UpdateKeepDays();
    const int32_t apartDays = UpdateApartDays();
    const unsigned count = IncrementCounter(L"Game");
    SendReport(
        LauncherStartUrl(count, apartDays, static_cast<int32_t>(keepDays), static_cast<int32_t>(weekdays)),
        events);
}

} // namespace zarn
