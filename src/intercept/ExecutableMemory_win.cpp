// Trampoline slots carved from 64 KB regions of executable memory found with VirtualQuery near (or far
// from) the code they serve.
#include "intercept/ExecutableMemory_win.h"

#include <windows.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <mutex>
#include <vector>

namespace zarn::intercept {
namespace {

constexpr size_t RegionSize = 0x10000; // the allocation granularity
constexpr size_t SlotsPerRegion = RegionSize / TrampolineSlotSize;
// A region wholly inside this distance keeps every slot within rel32 reach of the target, and of the
// data its RIP-relative operands name (up to 1 GB further away).
constexpr uint64_t NearDistance = 0x40000000;
constexpr uint64_t FarDistance = 0x100000000;

struct Region {
    uint8_t* Base;
    std::bitset<SlotsPerRegion> Used;
    size_t Next = 0; // where the search for a free slot starts
};

// Never destroyed: trampolines stay in use until the process has ended.
std::mutex& RegionsLock() {
    static auto* lock = new std::mutex();
    return *lock;
}

std::vector<Region>& Regions() {
    static auto* regions = new std::vector<Region>();
    return *regions;
}

uint64_t Distance(uint64_t a, uint64_t b) {
    return a > b ? a - b : b - a;
}

bool Suits(uint64_t base, uint64_t target, Placement placement) {
    if (sizeof(void*) == 4)
        return true;
    const uint64_t farthest = std::max(Distance(base, target), Distance(base + RegionSize, target));
    const uint64_t nearest = std::min(Distance(base, target), Distance(base + RegionSize, target));
    return placement == Placement::Near ? farthest < NearDistance : nearest > FarDistance;
}

uint64_t AlignUp(uint64_t v) {
    return (v + RegionSize - 1) & ~static_cast<uint64_t>(RegionSize - 1);
}

uint8_t* CommitRegion(uint64_t address) {
    return static_cast<uint8_t*>(::VirtualAlloc(reinterpret_cast<void*>(address), RegionSize,
                                                MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
}

// Reserves and commits a region in the free space between low and high, scanning upwards.
uint8_t* AllocateRegionBetween(uint64_t low, uint64_t high) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    low = std::max(low, reinterpret_cast<uint64_t>(info.lpMinimumApplicationAddress));
    high = std::min(high, reinterpret_cast<uint64_t>(info.lpMaximumApplicationAddress));
    uint64_t address = AlignUp(low);
    while (address + RegionSize <= high) {
        MEMORY_BASIC_INFORMATION mbi;
        if (::VirtualQuery(reinterpret_cast<void*>(address), &mbi, sizeof mbi) == 0)
            return nullptr;
        const uint64_t end = reinterpret_cast<uint64_t>(mbi.BaseAddress) + mbi.RegionSize;
        if (mbi.State == MEM_FREE && AlignUp(address) + RegionSize <= std::min(end, high)) {
            if (uint8_t* p = CommitRegion(AlignUp(address)))
                return p;
        }
        address = AlignUp(std::max(end, address + 1));
    }
    return nullptr;
}

// The free region closest below the target, scanning downwards region by region.
uint8_t* AllocateRegionBelow(uint64_t target) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const uint64_t lowest = std::max<uint64_t>(reinterpret_cast<uint64_t>(info.lpMinimumApplicationAddress),
                                               target > NearDistance ? target - NearDistance : 0);
    uint64_t address = (target & ~static_cast<uint64_t>(RegionSize - 1));
    while (address >= lowest + RegionSize) {
        address -= RegionSize;
        MEMORY_BASIC_INFORMATION mbi;
        if (::VirtualQuery(reinterpret_cast<void*>(address), &mbi, sizeof mbi) == 0)
            return nullptr;
        const uint64_t base = reinterpret_cast<uint64_t>(mbi.BaseAddress);
        if (mbi.State == MEM_FREE && address + RegionSize <= base + mbi.RegionSize) {
            if (uint8_t* p = CommitRegion(address))
                return p;
        } else {
            address = AlignUp(base); // the next step goes below this region
        }
    }
    return nullptr;
}

uint8_t* AllocateRegion(uint64_t target, Placement placement) {
    if (sizeof(void*) == 4) {
        return static_cast<uint8_t*>(
            ::VirtualAlloc(nullptr, RegionSize, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    }
    if (placement == Placement::Near) {
        if (uint8_t* p = AllocateRegionBelow(target))
            return p;
        return AllocateRegionBetween(target, target + NearDistance - RegionSize);
    }
    if (uint8_t* p = AllocateRegionBetween(target + FarDistance + RegionSize, UINT64_MAX))
        return p;
    return target > FarDistance + RegionSize ? AllocateRegionBetween(0, target - FarDistance - RegionSize)
                                             : nullptr;
}

// Slots are taken in turn around the region, so a freed one is reused as late as possible: a thread
// that read a trampoline's address just before its detach still finds the trampoline intact.
uint8_t* TakeSlot(Region& region) {
    for (size_t n = 0; n < SlotsPerRegion; ++n) {
        const size_t i = (region.Next + n) % SlotsPerRegion;
        if (!region.Used[i]) {
            region.Used[i] = true;
            region.Next = (i + 1) % SlotsPerRegion;
            uint8_t* slot = region.Base + i * TrampolineSlotSize;
            std::memset(slot, 0xCC, TrampolineSlotSize);
            return slot;
        }
    }
    return nullptr;
}

} // namespace

uint8_t* AllocateSlot(const void* target, Placement placement) noexcept {
    const uint64_t where = reinterpret_cast<uint64_t>(target);
    try {
        std::lock_guard<std::mutex> hold(RegionsLock());
        for (Region& region : Regions()) {
            if (Suits(reinterpret_cast<uint64_t>(region.Base), where, placement)) {
                if (uint8_t* slot = TakeSlot(region))
                    return slot;
            }
        }
        uint8_t* base = AllocateRegion(where, placement);
        if (base == nullptr)
            return nullptr;
        Regions().push_back(Region{base, {}, 0});
        return TakeSlot(Regions().back());
    } catch (...) {
        return nullptr;
    }
}

void FreeSlot(uint8_t* slot) noexcept {
    if (slot == nullptr)
        return;
    std::lock_guard<std::mutex> hold(RegionsLock());
    for (Region& region : Regions()) {
        if (slot >= region.Base && slot < region.Base + RegionSize) {
            // The bytes stay as they are until the slot is taken again (see TakeSlot).
            region.Used[static_cast<size_t>(slot - region.Base) / TrampolineSlotSize] = false;
            return;
        }
    }
}

} // namespace zarn::intercept
