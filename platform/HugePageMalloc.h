#pragma once
// glibc's malloc asks the system for huge pages for the memory it takes only
// when its tunable glibc.malloc.hugetlb says so, and it reads its tunables
// from the environment once, before the program runs. Where the system gives
// huge pages only to memory that asks for them, and a first touch of memory
// is dear (on a virtual machine a page fault costs microseconds), a window
// showing a million result rows spent a sixth of its search in faults of
// 4 KB pages: in the list's own bookkeeping of the rows, which the program
// can't allocate itself. So the window program starts itself again with the
// tunable set.
#include <string_view>

namespace tansa2::platform {

// The setting the program restarts with.
inline constexpr std::string_view kHugePageTunable = "glibc.malloc.hugetlb=1";

// Whether a restart gains anything: the system gives huge pages on request
// only (`thpMode`, the text of /sys/kernel/mm/transparent_hugepage/enabled,
// has "[madvise]") and the C library knows the tunable (`libcVersion` 2.35 or
// later).
bool HugePageRestartGains(std::string_view thpMode, std::string_view libcVersion);

// Call first thing in main. Starts the program again (the same file, the same
// arguments) with the tunable in the environment, when that gains anything
// and the environment sets no tunables of its own (GLIBC_TUNABLES);
// in the program so restarted, takes the tunable out of the environment
// again, so that the programs it starts (an editor) don't inherit it. Returns
// when the program goes on as it is, also when the restart fails.
void UseHugePageMalloc(char** argv);

}  // namespace tansa2::platform
